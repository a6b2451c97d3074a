#include "site/DxfText.h"

QByteArray dxfDrawing(const QStringList& layers, const QString& blocks, const QString& entities) {
    QString text = QStringLiteral("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
                                  "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n%1\n")
                       .arg(layers.size());
    for (const QString& layer : layers) {
        text += QStringLiteral("0\nLAYER\n2\n%1\n70\n0\n62\n7\n6\nCONTINUOUS\n").arg(layer);
    }
    text += QStringLiteral("0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n") + blocks +
            QStringLiteral("0\nENDSEC\n0\nSECTION\n2\nENTITIES\n") + entities +
            QStringLiteral("0\nENDSEC\n0\nEOF\n");
    return text.toUtf8();
}
