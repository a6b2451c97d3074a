#pragma once

#include <QString>

class QTextDocument;

// The user manual, from the text and pictures bundled with the program, laid out for A4
// pages: pictures fitted to the text's width, each chapter on a new page, the contents
// listing every chapter and section with its page. False when the text is missing.
bool buildManual(QTextDocument& document);

// Writes the manual as a PDF file: numbered pages, bookmarks for the chapters and sections,
// and the contents lines as links to their pages.
bool writeManual(const QString& path);
