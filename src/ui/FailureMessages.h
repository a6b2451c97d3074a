#pragma once

#include <QString>

class DbError;
class Prompter;

// Tells the user that something they made by hand could not be stored, and why:
// "<what> was not saved: <reason>." (application title, exclamation icon).
void tellNotSaved(Prompter& prompter, const QString& what, const DbError& error);

// Tells the user that the database is held by another program when that is the failure;
// other failures stay on the error path's log alone.
void tellIfInUse(Prompter& prompter, const DbError& error);

// Tells the user that a file was written but nothing on the desktop could open it, and where
// it is: "No <program> could be found to open the <what>. It was saved as:" and the path.
void tellNotOpened(Prompter& prompter, const QString& program, const QString& what,
                   const QString& path);
