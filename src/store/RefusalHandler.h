#pragma once

#include <functional>

class DbError;

// Where a change the site server refused to the login's role is told (the window's message
// box): a guarded call hands such a failure (isRefusal) to it instead of to its own onFailure,
// so that the refusal is the one thing the user sees. Null (the default) leaves it to
// onFailure.
void setRefusalHandler(std::function<void(const DbError&)> handler);
