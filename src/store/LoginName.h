#pragma once

#include <QString>

// The login name of the user, from the environment; "unknown" when it names none.
QString loginName();
