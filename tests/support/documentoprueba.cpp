#include "documentoprueba.h"

#include <zip.h>

#include <QFile>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

bool CrearZip(const QString& ruta, const QList<QPair<QString, QByteArray>>& entradas) {
    QFile::remove(ruta);
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(ruta).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip) return false;
    for (const auto& [nombre, datos] : entradas) {
        zip_source_t* fuente =
            zip_source_buffer(zip, datos.constData(), zip_uint64_t(datos.size()), 0);
        const zip_int64_t i =
            zip_file_add(zip, nombre.toUtf8().constData(), fuente, ZIP_FL_ENC_UTF_8);
        // An .odt's mimetype entry is stored, as readers expect.
        if (i >= 0 && nombre == QLatin1String("mimetype"))
            zip_set_file_compression(zip, zip_uint64_t(i), ZIP_CM_STORE, 0);
    }
    return zip_close(zip) == 0;
}

namespace {

const char* kCabeceraXml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

}  // namespace

bool CrearDocx(const QString& Ruta, const QString& BodyXml, const QString& HeaderXml) {
    const QByteArray w =
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    QByteArray tipos =
        QByteArray(kCabeceraXml) +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>";
    if (!HeaderXml.isEmpty())
        tipos +=
            "<Override PartName=\"/word/header1.xml\" ContentType=\"application/"
            "vnd.openxmlformats-officedocument.wordprocessingml.header+xml\"/>";
    tipos += "</Types>";
    const QByteArray rels =
        QByteArray(kCabeceraXml) +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>";
    QByteArray documento =
        QByteArray(kCabeceraXml) + "<w:document " + w + "><w:body>" + BodyXml.toUtf8();
    QList<QPair<QString, QByteArray>> entradas{{QStringLiteral("[Content_Types].xml"), tipos},
                                               {QStringLiteral("_rels/.rels"), rels}};
    if (!HeaderXml.isEmpty()) {
        documento += "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId1\"/></w:sectPr>";
        entradas.append(
            {QStringLiteral("word/_rels/document.xml.rels"),
             QByteArray(kCabeceraXml) +
                 "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                 "relationships\"><Relationship Id=\"rId1\" "
                 "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                 "relationships/header\" Target=\"header1.xml\"/></Relationships>"});
        entradas.append(
            {QStringLiteral("word/header1.xml"),
             QByteArray(kCabeceraXml) + "<w:hdr " + w + ">" + HeaderXml.toUtf8() + "</w:hdr>"});
    }
    documento += "</w:body></w:document>";
    entradas.append({QStringLiteral("word/document.xml"), documento});
    return CrearZip(Ruta, entradas);
}

bool CrearOdt(const QString& Ruta, const QString& BodyXml) {
    const QByteArray contenido =
        QByteArray(kCabeceraXml) +
        "<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
        "<office:body><office:text>" +
        BodyXml.toUtf8() + "</office:text></office:body></office:document-content>";
    const QByteArray manifiesto =
        QByteArray(kCabeceraXml) +
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.2\"><manifest:file-entry manifest:full-path=\"/\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "</manifest:manifest>";
    return CrearZip(Ruta, {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text"},
                           {QStringLiteral("content.xml"), contenido},
                           {QStringLiteral("META-INF/manifest.xml"), manifiesto}});
}

QByteArray EntradaZip(const QString& Ruta, const QString& Entrada) {
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(Ruta).constData(), ZIP_RDONLY, &error);
    if (!zip) return QByteArray();
    QByteArray datos;
    zip_stat_t st;
    if (zip_stat(zip, Entrada.toUtf8().constData(), 0, &st) == 0) {
        if (zip_file_t* f = zip_fopen(zip, Entrada.toUtf8().constData(), 0)) {
            datos.resize(qsizetype(st.size));
            zip_fread(f, datos.data(), st.size);
            zip_fclose(f);
        }
    }
    zip_discard(zip);
    return datos;
}

QString TextoXml(const QByteArray& Xml) {
    QString texto = QString::fromUtf8(Xml);
    texto.replace(QRegularExpression(QStringLiteral("<(w:br|text:line-break)\\s*/>")),
                  QStringLiteral("\n"));
    texto.replace(QRegularExpression(QStringLiteral("</(w:p|text:p|text:h)>")),
                  QStringLiteral("\n"));
    texto.remove(QRegularExpression(QStringLiteral("<\\?[^>]*\\?>\\s*")));
    texto.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    texto.replace(QLatin1String("&lt;"), QLatin1String("<"));
    texto.replace(QLatin1String("&gt;"), QLatin1String(">"));
    texto.replace(QLatin1String("&quot;"), QLatin1String("\""));
    texto.replace(QLatin1String("&apos;"), QLatin1String("'"));
    texto.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return texto;
}

QString TextoPdf(const QString& Pdf) {
    QProcess texto;
    texto.start(QStringLiteral("pdftotext"), {Pdf, QStringLiteral("-")});
    texto.waitForFinished();
    return QString::fromUtf8(texto.readAllStandardOutput());
}

QString LeerCodigos(const QImage& Imagen, const QStringList& Opciones) {
    QTemporaryDir dir;
    const QString archivo = dir.filePath(QStringLiteral("codigo.png"));
    Imagen.save(archivo);
    QProcess zbar;
    zbar.start(
        QStringLiteral("zbarimg"),
        QStringList{QStringLiteral("--nodbus"), QStringLiteral("-q")} << Opciones << archivo);
    zbar.waitForFinished();
    return QString::fromLatin1(zbar.readAllStandardOutput()).trimmed();
}
