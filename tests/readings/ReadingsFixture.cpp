#include "ReadingsFixture.h"

#include "readings/ReadingKeys.h"
#include "store/Connection.h"
#include "ui/ClickableLabel.h"

#include <QTabWidget>
#include <gtest/gtest.h>

void ReadingsTest::addReadings(const QString& id, const QList<QDateTime>& moments) {
    Connection db;
    db.open(location());
    int n = 0;
    for (const QDateTime& at : moments) {
        ++n;
        db.execute("INSERT INTO " + quoteName(id) +
                       " (DateTimeKey, FullDate, ReadingDate, ReadingTime, Channel1, ChannelT, "
                       "IsDirty, Plottemporal, PlotSpatial) VALUES (?, ?, ?, ?, ?, '20', 1, 1, 0)",
                   {key(id, at), fullDateText(at.date(), at.time()), readingDateText(at.date()),
                    readingTimeText(at.time()), QStringLiteral("%1.00").arg(n)});
    }
}

void ReadingsTest::addNineReadings(const QString& id) {
    QList<QDateTime> moments;
    for (int day = 1; day <= 9; ++day) {
        moments << QDateTime(QDate(2026, 12, day), QTime(8, 0));
    }
    addReadings(id, moments);
}

QVariant ReadingsTest::stored(const QString& id, const QString& key, const QString& column) {
    return scalar(
        "SELECT " + quoteName(column) + " FROM " + quoteName(id) + " WHERE DateTimeKey = ?", {key});
}

int ReadingsTest::readingCount(const QString& id) {
    return scalar("SELECT COUNT(*) FROM " + quoteName(id)).toInt();
}

frmQuorvelle& ReadingsTest::openOnReadings() {
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(2);
    return w;
}

void ReadingsTest::click(const QString& imageName) {
    auto* image = window->findChild<ClickableLabel*>(imageName);
    ASSERT_NE(image, nullptr) << imageName.toStdString();
    emit image->clicked();
}

QString ReadingsTest::key(const QString& id, const QDateTime& at) const {
    return readingKey(id, at.date(), at.time());
}
