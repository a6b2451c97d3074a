#pragma once

#include <functional>

class DbError;

// Where a change the site server refused to the login's role is told (the window's message
// box): a guarded call without an onFailure of its own, which would only log the failure,
// hands such a failure (isRefusal) to it, so that the user learns why nothing happened. A
// guarded call with an onFailure leaves it to that (tellNotSaved and tellIfInUse tell it in
// the refusal's words). Null (the default) tells nothing.
void setRefusalHandler(std::function<void(const DbError&)> handler);
