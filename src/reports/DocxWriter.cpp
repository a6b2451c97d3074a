#include "reports/DocxWriter.h"

#include "store/DbError.h"

#include <QFile>
#include <QXmlStreamWriter>
#include <list>
#include <zip.h>

namespace {
const QString kW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kR =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kWp =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString kA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString kPic = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");
const QString kRelTypes =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
constexpr double kEmuPerPoint = 12700;
// A4 with margins of one inch, in twentieths of a point.
constexpr int kPageWidth = 11906;
constexpr int kPageHeight = 16838;
constexpr int kMargin = 1440;
constexpr int kHeaderDistance = 567;

// The text of one XML part, written element by element.
class Part {
public:
    Part() : xml_(&bytes_) { xml_.writeStartDocument(QStringLiteral("1.0"), true); }
    QXmlStreamWriter& xml() { return xml_; }
    QByteArray finish() {
        xml_.writeEndDocument();
        return bytes_;
    }

private:
    QByteArray bytes_;
    QXmlStreamWriter xml_;
};

void declareNamespaces(QXmlStreamWriter& x) {
    x.writeNamespace(kW, QStringLiteral("w"));
    x.writeNamespace(kR, QStringLiteral("r"));
    x.writeNamespace(kWp, QStringLiteral("wp"));
    x.writeNamespace(kA, QStringLiteral("a"));
    x.writeNamespace(kPic, QStringLiteral("pic"));
}

void writeRunFormat(QXmlStreamWriter& x, const QString& element, int pointSize, bool bold) {
    x.writeStartElement(kW, element);
    if (bold) {
        x.writeEmptyElement(kW, QStringLiteral("b"));
    }
    x.writeEmptyElement(kW, QStringLiteral("sz"));
    x.writeAttribute(kW, QStringLiteral("val"), QString::number(pointSize * 2));
    x.writeEmptyElement(kW, QStringLiteral("szCs"));
    x.writeAttribute(kW, QStringLiteral("val"), QString::number(pointSize * 2));
    x.writeEndElement();
}

void writeTextRun(QXmlStreamWriter& x, const DocxRun& run) {
    x.writeStartElement(kW, QStringLiteral("r"));
    writeRunFormat(x, QStringLiteral("rPr"), run.pointSize, run.bold);
    x.writeStartElement(kW, QStringLiteral("t"));
    x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    x.writeCharacters(run.text);
    x.writeEndElement();
    x.writeEndElement();
}

void writeParagraphStart(QXmlStreamWriter& x, int pointSize, bool bold, bool centred) {
    x.writeStartElement(kW, QStringLiteral("p"));
    x.writeStartElement(kW, QStringLiteral("pPr"));
    x.writeEmptyElement(kW, QStringLiteral("spacing"));
    x.writeAttribute(kW, QStringLiteral("after"), QStringLiteral("0"));
    if (centred) {
        x.writeEmptyElement(kW, QStringLiteral("jc"));
        x.writeAttribute(kW, QStringLiteral("val"), QStringLiteral("center"));
    }
    writeRunFormat(x, QStringLiteral("rPr"), pointSize, bold);
    x.writeEndElement();
}

void writePictureRun(QXmlStreamWriter& x, const QString& relId, int id, const QSizeF& points) {
    const QString cx = QString::number(qRound64(points.width() * kEmuPerPoint));
    const QString cy = QString::number(qRound64(points.height() * kEmuPerPoint));
    const QString name = QStringLiteral("Picture %1").arg(id);
    x.writeStartElement(kW, QStringLiteral("r"));
    x.writeStartElement(kW, QStringLiteral("drawing"));
    x.writeStartElement(kWp, QStringLiteral("inline"));
    for (const char* side : {"distT", "distB", "distL", "distR"}) {
        x.writeAttribute(QLatin1String(side), QStringLiteral("0"));
    }
    x.writeEmptyElement(kWp, QStringLiteral("extent"));
    x.writeAttribute(QStringLiteral("cx"), cx);
    x.writeAttribute(QStringLiteral("cy"), cy);
    x.writeEmptyElement(kWp, QStringLiteral("docPr"));
    x.writeAttribute(QStringLiteral("id"), QString::number(id));
    x.writeAttribute(QStringLiteral("name"), name);
    x.writeStartElement(kA, QStringLiteral("graphic"));
    x.writeStartElement(kA, QStringLiteral("graphicData"));
    x.writeAttribute(QStringLiteral("uri"), kPic);
    x.writeStartElement(kPic, QStringLiteral("pic"));
    x.writeStartElement(kPic, QStringLiteral("nvPicPr"));
    x.writeEmptyElement(kPic, QStringLiteral("cNvPr"));
    x.writeAttribute(QStringLiteral("id"), QString::number(id));
    x.writeAttribute(QStringLiteral("name"), name);
    x.writeEmptyElement(kPic, QStringLiteral("cNvPicPr"));
    x.writeEndElement();
    x.writeStartElement(kPic, QStringLiteral("blipFill"));
    x.writeEmptyElement(kA, QStringLiteral("blip"));
    x.writeAttribute(kR, QStringLiteral("embed"), relId);
    x.writeStartElement(kA, QStringLiteral("stretch"));
    x.writeEmptyElement(kA, QStringLiteral("fillRect"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeStartElement(kPic, QStringLiteral("spPr"));
    x.writeStartElement(kA, QStringLiteral("xfrm"));
    x.writeEmptyElement(kA, QStringLiteral("off"));
    x.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    x.writeEmptyElement(kA, QStringLiteral("ext"));
    x.writeAttribute(QStringLiteral("cx"), cx);
    x.writeAttribute(QStringLiteral("cy"), cy);
    x.writeEndElement();
    x.writeStartElement(kA, QStringLiteral("prstGeom"));
    x.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement(); // pic
    x.writeEndElement(); // graphicData
    x.writeEndElement(); // graphic
    x.writeEndElement(); // inline
    x.writeEndElement(); // drawing
    x.writeEndElement(); // r
}

QByteArray relationships(const QList<std::pair<QString, QString>>& typeAndTarget) {
    Part part;
    QXmlStreamWriter& x = part.xml();
    const QString ns =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
    x.writeDefaultNamespace(ns);
    x.writeStartElement(ns, QStringLiteral("Relationships"));
    for (int i = 0; i < typeAndTarget.size(); ++i) {
        x.writeEmptyElement(ns, QStringLiteral("Relationship"));
        x.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(i + 1));
        x.writeAttribute(QStringLiteral("Type"), typeAndTarget[i].first);
        x.writeAttribute(QStringLiteral("Target"), typeAndTarget[i].second);
    }
    x.writeEndElement();
    return part.finish();
}

QByteArray contentTypes() {
    Part part;
    QXmlStreamWriter& x = part.xml();
    const QString ns =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
    const QString wml = QStringLiteral("application/vnd.openxmlformats-officedocument."
                                       "wordprocessingml.");
    x.writeDefaultNamespace(ns);
    x.writeStartElement(ns, QStringLiteral("Types"));
    const std::pair<const char*, QString> defaults[] = {
        {"rels", QStringLiteral("application/vnd.openxmlformats-package.relationships+xml")},
        {"xml", QStringLiteral("application/xml")},
        {"jpeg", QStringLiteral("image/jpeg")}};
    for (const auto& [extension, type] : defaults) {
        x.writeEmptyElement(ns, QStringLiteral("Default"));
        x.writeAttribute(QStringLiteral("Extension"), QLatin1String(extension));
        x.writeAttribute(QStringLiteral("ContentType"), type);
    }
    const std::pair<const char*, const char*> overrides[] = {
        {"/word/document.xml", "document.main+xml"},
        {"/word/styles.xml", "styles+xml"},
        {"/word/header1.xml", "header+xml"}};
    for (const auto& [name, type] : overrides) {
        x.writeEmptyElement(ns, QStringLiteral("Override"));
        x.writeAttribute(QStringLiteral("PartName"), QLatin1String(name));
        x.writeAttribute(QStringLiteral("ContentType"), wml + QLatin1String(type));
    }
    x.writeEndElement();
    return part.finish();
}

// Calibri 12 points for text without a format of its own.
QByteArray styles() {
    Part part;
    QXmlStreamWriter& x = part.xml();
    x.writeNamespace(kW, QStringLiteral("w"));
    x.writeStartElement(kW, QStringLiteral("styles"));
    x.writeStartElement(kW, QStringLiteral("docDefaults"));
    x.writeStartElement(kW, QStringLiteral("rPrDefault"));
    x.writeStartElement(kW, QStringLiteral("rPr"));
    x.writeEmptyElement(kW, QStringLiteral("rFonts"));
    for (const char* kind : {"ascii", "hAnsi", "cs"}) {
        x.writeAttribute(kW, QLatin1String(kind), QStringLiteral("Calibri"));
    }
    x.writeEmptyElement(kW, QStringLiteral("sz"));
    x.writeAttribute(kW, QStringLiteral("val"), QStringLiteral("24"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    return part.finish();
}

QByteArray readPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw DbError(ErrorCode::FileNotFound, QStringLiteral("File not found: ") + path);
    }
    return file.readAll();
}

// The zip archive being written; the entries' bytes live until it is closed.
class Archive {
public:
    explicit Archive(const QString& path) : path_(path) {
        int error = 0;
        zip_ = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (zip_ == nullptr) {
            fail();
        }
    }
    ~Archive() {
        if (zip_ != nullptr) {
            zip_discard(zip_);
        }
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    void add(const char* name, QByteArray bytes) {
        const QByteArray& kept = data_.emplace_back(std::move(bytes));
        zip_source_t* source = zip_source_buffer(zip_, kept.constData(), kept.size(), 0);
        if (source == nullptr) {
            fail();
        }
        if (zip_file_add(zip_, name, source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            fail();
        }
    }
    void close() {
        if (zip_close(zip_) != 0) {
            fail();
        }
        zip_ = nullptr;
    }

private:
    [[noreturn]] void fail() const {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The document could not be written: ") + path_);
    }

    QString path_;
    zip_t* zip_ = nullptr;
    std::list<QByteArray> data_;
};
} // namespace

QString DocxWriter::save(const QString& path) const {
    const QString image = kRelTypes + QStringLiteral("image");
    QList<std::pair<QString, QString>> documentRels{
        {kRelTypes + QStringLiteral("styles"), QStringLiteral("styles.xml")}};
    QByteArray headerBytes;
    QList<QByteArray> pictures;
    int drawingId = 0;

    QByteArray header;
    if (!headerPicture().isEmpty()) {
        headerBytes = readPicture(headerPicture());
        documentRels << std::pair{kRelTypes + QStringLiteral("header"),
                                  QStringLiteral("header1.xml")};
        Part part;
        QXmlStreamWriter& x = part.xml();
        declareNamespaces(x);
        x.writeStartElement(kW, QStringLiteral("hdr"));
        writeParagraphStart(x, 12, false, true);
        writePictureRun(x, QStringLiteral("rId1"), ++drawingId, headerSize());
        x.writeEndElement();
        x.writeEndElement();
        header = part.finish();
    }
    const QString headerRelId = QStringLiteral("rId%1").arg(documentRels.size());

    Part document;
    QXmlStreamWriter& x = document.xml();
    declareNamespaces(x);
    x.writeStartElement(kW, QStringLiteral("document"));
    x.writeStartElement(kW, QStringLiteral("body"));
    for (const Block& block : blocks()) {
        writeParagraphStart(x, block.pointSize, block.bold, false);
        switch (block.kind) {
        case Block::Kind::Paragraph:
            for (const DocxRun& run : block.runs) {
                writeTextRun(x, run);
            }
            break;
        case Block::Kind::PageBreak:
            x.writeStartElement(kW, QStringLiteral("r"));
            x.writeEmptyElement(kW, QStringLiteral("br"));
            x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("page"));
            x.writeEndElement();
            break;
        case Block::Kind::Picture:
            pictures << readPicture(block.picture);
            documentRels << std::pair{image,
                                      QStringLiteral("media/image%1.jpeg").arg(pictures.size())};
            writePictureRun(x, QStringLiteral("rId%1").arg(documentRels.size()), ++drawingId,
                            block.size);
            break;
        }
        x.writeEndElement();
    }
    x.writeStartElement(kW, QStringLiteral("sectPr"));
    if (!header.isEmpty()) {
        x.writeEmptyElement(kW, QStringLiteral("headerReference"));
        x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("default"));
        x.writeAttribute(kR, QStringLiteral("id"), headerRelId);
    }
    x.writeEmptyElement(kW, QStringLiteral("pgSz"));
    x.writeAttribute(kW, QStringLiteral("w"), QString::number(kPageWidth));
    x.writeAttribute(kW, QStringLiteral("h"), QString::number(kPageHeight));
    x.writeEmptyElement(kW, QStringLiteral("pgMar"));
    for (const char* side : {"top", "right", "bottom", "left"}) {
        x.writeAttribute(kW, QLatin1String(side), QString::number(kMargin));
    }
    x.writeAttribute(kW, QStringLiteral("header"), QString::number(kHeaderDistance));
    x.writeAttribute(kW, QStringLiteral("footer"), QString::number(kHeaderDistance));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();

    Archive zip(path);
    zip.add("[Content_Types].xml", contentTypes());
    zip.add("_rels/.rels", relationships({{kRelTypes + QStringLiteral("officeDocument"),
                                           QStringLiteral("word/document.xml")}}));
    zip.add("word/document.xml", document.finish());
    zip.add("word/styles.xml", styles());
    zip.add("word/_rels/document.xml.rels", relationships(documentRels));
    if (!header.isEmpty()) {
        zip.add("word/header1.xml", header);
        zip.add("word/_rels/header1.xml.rels",
                relationships({{image, QStringLiteral("media/header.jpeg")}}));
        zip.add("word/media/header.jpeg", headerBytes);
    }
    for (int i = 0; i < pictures.size(); ++i) {
        zip.add(QStringLiteral("word/media/image%1.jpeg").arg(i + 1).toUtf8().constData(),
                pictures[i]);
    }
    zip.close();
    return path;
}

QSize jpegPixelSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(data.at(i)); };
    if (data.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) {
        return {};
    }
    qsizetype i = 2;
    while (i + 9 < data.size()) {
        if (byte(i) != 0xFF) {
            return {};
        }
        const unsigned char marker = byte(i + 1);
        const int length = (byte(i + 2) << 8) | byte(i + 3);
        // Start-of-frame markers carry the size; C4, C8 and CC are other segments.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            const int height = (byte(i + 5) << 8) | byte(i + 6);
            const int width = (byte(i + 7) << 8) | byte(i + 8);
            return {width, height};
        }
        i += 2 + length;
    }
    return {};
}

QSizeF pictureSizeInPoints(const QSize& pixels, double maxWidth) {
    if (pixels.isEmpty()) {
        return {};
    }
    QSizeF points(pixels.width() * 0.75, pixels.height() * 0.75);
    if (points.width() > maxWidth) {
        points *= maxWidth / points.width();
    }
    return points;
}
