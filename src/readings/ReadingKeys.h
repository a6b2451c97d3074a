#pragma once

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Texts that key and describe a reading, and the characters a value box admits.

// "<instrumentId> yyyy/MM/dd HH:mm:ss", the key of a reading within its sensor's table.
QString readingKey(const QString& instrumentId, const QDate& date, const QTime& time);
// The sortable form stored in FullDate: "yyyy-MM-dd HH:mm:ss".
QString fullDateText(const QDate& date, const QTime& time);
QString readingDateText(const QDate& date); // "yyyy/MM/dd"
QString readingTimeText(const QTime& time); // "HH:mm:ss"

// Reads a stored ReadingDate or ReadingTime back; an invalid date or time when the text
// holds none.
QDate readingDateOf(const QString& text);
QTime readingTimeOf(const QString& text);

// A stored node value: the typed text formatted "##0.00" when it is a number, otherwise as
// typed (the empty text stays empty).
QString channelText(const QString& typed);

// The text itself, but never a null text: an empty box or cell stores an empty text, not a
// null.
QString storedText(const QString& text);

// The characters a node or temperature box accepts: digits, ",", "-" and ".".
bool isValueCharacter(QChar c);
bool isValueText(const QString& text);
