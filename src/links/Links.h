#pragma once

#include <QString>

class Desktop;

// The maker's web site, opened by "Visit the Ombrevault website": the setting WebsiteAddress
// of the program's settings (maker "Ombrevault", program "Quorvelle"), or this address when
// the setting is missing or empty.
inline const QString kDefaultWebsiteAddress = QStringLiteral("https://www.ombrevault.com/");
QString websiteAddress();

QString manualPath(const QString& dataFolder);

// The manual in the data folder, written first when it is missing or older than the program
// (an earlier version's). Laying it out takes seconds, so it is written when it is first
// opened, never at start-up; one that cannot be written leaves the file there, if any.
QString preparedManual(const QString& dataFolder);

// Hands the manual in the data folder to the desktop, written first as above; a failure to
// open it is left to the desktop.
void imgHelp_Click(Desktop& desktop, const QString& dataFolder);
// Hands the web-site address to the desktop, unchecked as the manual.
void imgInternet_Click(Desktop& desktop);
