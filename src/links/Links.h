#pragma once

#include <QString>

class Desktop;

// The maker's web site, opened by "Visit the Ombrevault website".
inline const QString kWebsiteAddress = QStringLiteral("https://www.ombrevault.example/quorvelle");

QString manualPath(const QString& dataFolder);

// Hands the manual in the data folder to the desktop; nothing is checked beforehand and a
// failure to open it is left to the desktop.
void imgHelp_Click(Desktop& desktop, const QString& dataFolder);
void imgInternet_Click(Desktop& desktop);
