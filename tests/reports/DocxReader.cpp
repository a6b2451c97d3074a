#include "DocxReader.h"

#include <QFile>
#include <QXmlStreamReader>
#include <memory>
#include <stdexcept>
#include <zip.h>

namespace {
QByteArray entry(zip_t* archive, const QString& name) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    const QByteArray path = name.toUtf8();
    if (zip_stat(archive, path.constData(), 0, &stat) != 0) {
        throw std::runtime_error("missing part " + path.toStdString());
    }
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen(archive, path.constData(), 0),
                                                            &zip_fclose);
    QByteArray data(static_cast<qsizetype>(stat.size), '\0');
    if (!file ||
        zip_fread(file.get(), data.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
        throw std::runtime_error("cannot read part " + path.toStdString());
    }
    return data;
}

// Relationship id to the part it names, relative to the word folder.
QMap<QString, QString> relationships(const QByteArray& xml) {
    QMap<QString, QString> targets;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"Relationship") {
            targets[reader.attributes().value(QLatin1String("Id")).toString()] =
                reader.attributes().value(QLatin1String("Target")).toString();
        }
    }
    return targets;
}

QList<DocxParagraph> paragraphs(const QByteArray& xml, const QMap<QString, QString>& rels) {
    QList<DocxParagraph> result;
    QXmlStreamReader reader(xml);
    bool inRun = false;
    bool inRunFormat = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto name = reader.name();
        if (reader.isStartElement()) {
            const auto attr = [&](const char* a) {
                return reader.attributes().value(QLatin1String(a)).toString();
            };
            if (name == u"p") {
                result << DocxParagraph{};
            } else if (name == u"r") {
                inRun = true;
                result.last().runs << DocxParagraph::Run{};
            } else if (name == u"rPr" && inRun) {
                inRunFormat = true;
            } else if (name == u"b" && inRunFormat) {
                result.last().runs.last().bold = attr("w:val") != u"0";
            } else if (name == u"sz" && inRunFormat) {
                result.last().runs.last().halfPoints = attr("w:val").toInt();
            } else if (name == u"t" && inRun) {
                result.last().runs.last().text += reader.readElementText();
            } else if (name == u"br" && attr("w:type") == u"page") {
                result.last().pageBreak = true;
            } else if (name == u"jc" && !inRun) {
                result.last().centred = attr("w:val") == u"center";
            } else if (name == u"blip") {
                result.last().pictures << "word/" + rels.value(attr("r:embed"));
            }
        } else if (reader.isEndElement()) {
            if (name == u"r") {
                inRun = false;
            } else if (name == u"rPr") {
                inRunFormat = false;
            }
        }
    }
    if (reader.hasError()) {
        throw std::runtime_error("malformed part: " + reader.errorString().toStdString());
    }
    return result;
}
} // namespace

QString DocxParagraph::text() const {
    QString t;
    for (const Run& run : runs) {
        t += run.text;
    }
    return t;
}

DocxReader::DocxReader(const QString& path) {
    int error = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(
        zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error), &zip_discard);
    if (!archive) {
        throw std::runtime_error("not a zip archive");
    }
    entry(archive.get(), "[Content_Types].xml");
    const auto docRels = relationships(entry(archive.get(), "word/_rels/document.xml.rels"));
    const QByteArray document = entry(archive.get(), "word/document.xml");
    body = paragraphs(document, docRels);

    QXmlStreamReader reader(document);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"headerReference" &&
            reader.attributes().value(QLatin1String("w:type")) == u"default") {
            const QString part =
                "word/" +
                docRels.value(reader.attributes().value(QLatin1String("r:id")).toString());
            const QString relsPart = "word/_rels/" + part.mid(5) + ".rels";
            header = paragraphs(entry(archive.get(), part),
                                relationships(entry(archive.get(), relsPart)));
        }
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(zip_get_name(archive.get(), i, 0));
        if (name.startsWith("word/media/")) {
            media[name] = entry(archive.get(), name);
        }
    }
}

QStringList DocxReader::bodyTexts() const {
    QStringList texts;
    for (const DocxParagraph& p : body) {
        texts << (p.pageBreak ? QStringLiteral("<page>") : QString()) +
                     (p.pictures.isEmpty() ? QString() : QStringLiteral("<picture>")) + p.text();
    }
    return texts;
}

int DocxReader::pageCount() const {
    int pages = 1;
    for (const DocxParagraph& p : body) {
        pages += p.pageBreak ? 1 : 0;
    }
    return pages;
}
