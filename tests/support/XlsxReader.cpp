#include "support/XlsxReader.h"

#include <QFile>
#include <QXmlStreamReader>
#include <memory>
#include <stdexcept>
#include <zip.h>

namespace {
using Archive = std::unique_ptr<zip_t, decltype(&zip_discard)>;

QByteArray entry(zip_t* archive, const QString& name, bool required = true) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    const QByteArray path = name.toUtf8();
    if (zip_stat(archive, path.constData(), 0, &stat) != 0) {
        if (required) {
            throw std::runtime_error("missing part " + path.toStdString());
        }
        return {};
    }
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen(archive, path.constData(), 0),
                                                            &zip_fclose);
    if (!file) {
        throw std::runtime_error("cannot open part " + path.toStdString());
    }
    QByteArray data(static_cast<qsizetype>(stat.size), '\0');
    if (zip_fread(file.get(), data.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
        throw std::runtime_error("cannot read part " + path.toStdString());
    }
    return data;
}

QStringList sharedStrings(const QByteArray& xml) {
    QStringList strings;
    QXmlStreamReader reader(xml);
    QString current;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"si") {
            current.clear();
        } else if (reader.isStartElement() && reader.name() == u"t") {
            current += reader.readElementText();
        } else if (reader.isEndElement() && reader.name() == u"si") {
            strings << current;
        }
    }
    return strings;
}

struct Styles {
    QHash<int, QString> codes; // custom number formats by id
    QVector<int> cellFormats;  // number format id by style index
};

Styles styles(const QByteArray& xml) {
    Styles result;
    QXmlStreamReader reader(xml);
    bool inCellXfs = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"numFmt") {
            result.codes.insert(reader.attributes().value(QLatin1String("numFmtId")).toInt(),
                                reader.attributes().value(QLatin1String("formatCode")).toString());
        } else if (reader.isStartElement() && reader.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (reader.isEndElement() && reader.name() == u"cellXfs") {
            inCellXfs = false;
        } else if (inCellXfs && reader.isStartElement() && reader.name() == u"xf") {
            result.cellFormats << reader.attributes().value(QLatin1String("numFmtId")).toInt();
        }
    }
    return result;
}

// "AB12" -> row 12, column 28.
QPair<int, int> cellReference(QStringView ref) {
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) {
        column = column * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    }
    return {ref.mid(i).toInt(), column};
}

// Sheet part paths by relationship id.
QHash<QString, QString> relationships(const QByteArray& xml) {
    QHash<QString, QString> targets;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"Relationship") {
            QString target = reader.attributes().value(QLatin1String("Target")).toString();
            target = target.startsWith('/') ? target.mid(1) : "xl/" + target;
            targets.insert(reader.attributes().value(QLatin1String("Id")).toString(), target);
        }
    }
    return targets;
}
} // namespace

XlsxReader::XlsxReader(const QString& path) {
    int error = 0;
    Archive archive(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error),
                    &zip_discard);
    if (!archive) {
        throw std::runtime_error("not a zip file: " + path.toStdString());
    }
    const QStringList strings = sharedStrings(entry(archive.get(), "xl/sharedStrings.xml", false));
    const Styles style = styles(entry(archive.get(), "xl/styles.xml", false));
    const auto targets = relationships(entry(archive.get(), "xl/_rels/workbook.xml.rels"));

    QXmlStreamReader book(entry(archive.get(), "xl/workbook.xml"));
    QStringList parts;
    while (!book.atEnd()) {
        book.readNext();
        if (book.isStartElement() && book.name() == u"sheet") {
            sheetNames_ << book.attributes().value(QLatin1String("name")).toString();
            parts << targets.value(book.attributes().value(QLatin1String("r:id")).toString());
        }
    }

    for (const QString& part : parts) {
        Sheet sheet;
        QXmlStreamReader reader(entry(archive.get(), part));
        while (!reader.atEnd()) {
            reader.readNext();
            if (!reader.isStartElement()) {
                continue;
            }
            const auto attributes = reader.attributes();
            if (reader.name() == u"col") {
                const int first = attributes.value(QLatin1String("min")).toInt();
                const int last = attributes.value(QLatin1String("max")).toInt();
                for (int c = first; c <= last; ++c) {
                    sheet.widths.insert(c, attributes.value(QLatin1String("width")).toDouble());
                }
            } else if (reader.name() == u"c") {
                const auto [row, column] = cellReference(attributes.value(QLatin1String("r")));
                const QString type = attributes.value(QLatin1String("t")).toString();
                XlsxCell cell;
                const int styleIndex = attributes.value(QLatin1String("s")).toInt();
                if (styleIndex >= 0 && styleIndex < style.cellFormats.size()) {
                    cell.numFmtId = style.cellFormats[styleIndex];
                    cell.numFmtCode = style.codes.value(cell.numFmtId);
                }
                while (reader.readNextStartElement()) {
                    if (reader.name() == u"v") {
                        const QString v = reader.readElementText();
                        if (type == u"s") {
                            cell.kind = XlsxCell::Kind::Text;
                            cell.value = strings.value(v.toInt());
                        } else if (type == u"str" || type == u"inlineStr") {
                            cell.kind = XlsxCell::Kind::Text;
                            cell.value = v;
                        } else {
                            cell.kind = XlsxCell::Kind::Number;
                            cell.value = v;
                        }
                    } else if (reader.name() == u"is") {
                        cell.kind = XlsxCell::Kind::Text;
                        cell.value = reader.readElementText(QXmlStreamReader::IncludeChildElements);
                    } else {
                        reader.skipCurrentElement();
                    }
                }
                sheet.cells.insert(qMakePair(row, column), cell);
                sheet.rows = std::max(sheet.rows, row);
                sheet.columns = std::max(sheet.columns, column);
            }
        }
        if (reader.hasError()) {
            throw std::runtime_error("malformed part " + part.toStdString());
        }
        sheets_ << sheet;
    }
}

XlsxCell XlsxReader::cell(int sheet, int row, int column) const {
    return sheets_.at(sheet).cells.value(qMakePair(row, column));
}

int XlsxReader::rowCount(int sheet) const {
    return sheets_.at(sheet).rows;
}

int XlsxReader::columnCount(int sheet) const {
    return sheets_.at(sheet).columns;
}

double XlsxReader::columnWidth(int sheet, int column) const {
    return sheets_.at(sheet).widths.value(column, 0.0);
}
