#include "io/modeldoc.h"

#include <zip.h>

#include <QDomDocument>
#include <QFile>
#include <QRegularExpression>
#include <list>
#include <vector>

#include "io/outputfile.h"
#include "io/paths.h"

namespace {

// The words of one kind of document: its paragraphs, where its text is kept
// and how a line break is written.
struct TipoDocumento {
    QStringList parrafos;
    QString texto;  // element holding the text nodes; empty: any element
    QString salto;
};

const TipoDocumento kDocx{{QStringLiteral("w:p")}, QStringLiteral("w:t"), QStringLiteral("w:br")};
const TipoDocumento kOdt{{QStringLiteral("text:p"), QStringLiteral("text:h")},
                         QString(),
                         QStringLiteral("text:line-break")};

// Qt's DOM drops text nodes made only of blanks (a run holding one space), so
// blanks between tags are carried through the parse as private characters.
constexpr char16_t kEspacioProtegido = 0xE000;

QString ProtegerBlancos(QString xml) {
    static const QRegularExpression blancos(QStringLiteral("(?<![?-])>([ \\t\\r\\n]+)<(?![?!])"));
    QRegularExpressionMatchIterator it = blancos.globalMatch(xml);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        for (qsizetype i = m.capturedStart(1); i < m.capturedEnd(1); ++i)
            xml[i] = QChar(char16_t(kEspacioProtegido + xml[i].unicode()));
    }
    return xml;
}

QString RestaurarBlancos(QString xml) {
    for (QChar& c : xml) {
        const char16_t u = c.unicode();
        if (u >= kEspacioProtegido && u <= kEspacioProtegido + 0x20)
            c = QChar(char16_t(u - kEspacioProtegido));
    }
    return xml;
}

bool EsParrafo(const QDomNode& nodo, const TipoDocumento& tipo) {
    return nodo.isElement() && tipo.parrafos.contains(nodo.toElement().tagName());
}

// The text nodes of a paragraph in reading order, those of paragraphs nested
// in it (text boxes) left to their own paragraph.
void TextosParrafo(const QDomNode& nodo, const TipoDocumento& tipo, std::vector<QDomText>& textos) {
    for (QDomNode hijo = nodo.firstChild(); !hijo.isNull(); hijo = hijo.nextSibling()) {
        if (hijo.isText()) {
            if (tipo.texto.isEmpty() || nodo.toElement().tagName() == tipo.texto)
                textos.push_back(hijo.toText());
        } else if (hijo.isElement() && !EsParrafo(hijo, tipo)) {
            TextosParrafo(hijo, tipo, textos);
        }
    }
}

QString Normalizado(QString valor) {
    valor.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    valor.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return valor;
}

// Replaces the placeholders over the text nodes of one paragraph, in one
// pass from left to right: the value goes into the node where the
// placeholder starts, the rest of the placeholder is taken out of the nodes
// it spans. A value put in is never read again, so a value that holds
// "$Campo$" stays as it is instead of taking another field's value.
void ReemplazarEnParrafo(std::vector<QDomText>& textos, const TCamposModelo& campos) {
    if (textos.empty() || campos.isEmpty()) return;
    QStringList marcas;
    for (const auto& campo : campos) marcas << QLatin1Char('$') + campo.first + QLatin1Char('$');
    qsizetype desde = 0;
    for (;;) {
        QString total;
        std::vector<qsizetype> inicio;
        for (const QDomText& t : textos) {
            inicio.push_back(total.size());
            total += t.data();
        }
        // The first placeholder from here on; at one place, the first field given.
        qsizetype a = -1;
        qsizetype cual = -1;
        for (qsizetype p = total.indexOf(QLatin1Char('$'), desde); p >= 0 && cual < 0;
             p = total.indexOf(QLatin1Char('$'), p + 1)) {
            const QStringView resto = QStringView(total).mid(p);
            for (qsizetype k = 0; k < marcas.size() && cual < 0; ++k)
                if (resto.startsWith(marcas[k], Qt::CaseInsensitive)) cual = k;
            a = p;
        }
        if (cual < 0) break;
        const QString valor = Normalizado(campos[cual].second);
        const qsizetype b = a + marcas[cual].size();
        size_t i = 0;
        while (i + 1 < textos.size() && inicio[i + 1] <= a) ++i;
        size_t j = i;
        while (j + 1 < textos.size() && inicio[j + 1] < b) ++j;
        const QString primero = textos[i].data();
        if (i == j) {
            textos[i].setData(primero.left(a - inicio[i]) + valor + primero.mid(b - inicio[i]));
        } else {
            textos[i].setData(primero.left(a - inicio[i]) + valor);
            for (size_t k = i + 1; k < j; ++k) textos[k].setData(QString());
            textos[j].setData(textos[j].data().mid(b - inicio[j]));
        }
        desde = a + valor.size();
    }
}

// A text node holding line breaks becomes text, break, text...: in a .docx
// the breaks and the new text elements are siblings inside the run.
void PartirSaltos(QDomDocument& doc, QDomText texto, const TipoDocumento& tipo) {
    const QStringList trozos = texto.data().split(QLatin1Char('\n'));
    if (trozos.size() < 2) return;
    const bool enElemento = !tipo.texto.isEmpty();
    QDomNode ancla = enElemento ? texto.parentNode() : QDomNode(texto);
    QDomNode contenedor = ancla.parentNode();
    texto.setData(trozos.first());
    if (enElemento)
        ancla.toElement().setAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    for (qsizetype k = 1; k < trozos.size(); ++k) {
        QDomNode salto = doc.createElement(tipo.salto);
        contenedor.insertAfter(salto, ancla);
        ancla = salto;
        QDomNode nuevo = doc.createTextNode(trozos[k]);
        if (enElemento) {
            QDomElement t = doc.createElement(tipo.texto);
            t.setAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            t.appendChild(nuevo);
            nuevo = t;
        }
        contenedor.insertAfter(nuevo, ancla);
        ancla = nuevo;
    }
}

bool RellenarXml(QByteArray& xml, const TipoDocumento& tipo, const TCamposModelo& campos,
                 QString* motivo) {
    QDomDocument doc;
    QString error;
    int linea = 0;
    if (!doc.setContent(ProtegerBlancos(QString::fromUtf8(xml)), false, &error, &linea)) {
        if (motivo)
            *motivo = QStringLiteral("el modelo está dañado (línea %1: %2)").arg(linea).arg(error);
        return false;
    }
    std::vector<QDomText> conSaltos;
    for (const QString& etiqueta : tipo.parrafos) {
        const QDomNodeList parrafos = doc.elementsByTagName(etiqueta);
        for (int p = 0; p < parrafos.size(); ++p) {
            std::vector<QDomText> textos;
            TextosParrafo(parrafos.at(p), tipo, textos);
            ReemplazarEnParrafo(textos, campos);
            for (const QDomText& t : textos)
                if (t.data().contains(QLatin1Char('\n'))) conSaltos.push_back(t);
        }
    }
    for (const QDomText& t : conSaltos) PartirSaltos(doc, t, tipo);
    xml = RestaurarBlancos(doc.toString(-1)).toUtf8();
    return true;
}

// Owns an open archive; discards its changes unless closed.
struct Archivo {
    zip_t* zip = nullptr;
    ~Archivo() {
        if (zip) zip_discard(zip);
    }
};

bool LeerEntrada(zip_t* zip, zip_uint64_t indice, QByteArray& datos) {
    zip_stat_t st;
    if (zip_stat_index(zip, indice, 0, &st) != 0) return false;
    zip_file_t* f = zip_fopen_index(zip, indice, 0);
    if (!f) return false;
    datos.resize(qsizetype(st.size));
    const zip_int64_t leidos = zip_fread(f, datos.data(), st.size);
    zip_fclose(f);
    return leidos == zip_int64_t(st.size);
}

}  // namespace

bool FillModelDocument(const QString& Model, const QString& Target, const TCamposModelo& Fields,
                       QString* Reason) {
    auto falla = [&](const QString& texto) {
        if (Reason) *Reason = texto;
        return false;
    };
    QFile modelo(NativePath(Model));
    if (!modelo.open(QIODevice::ReadOnly))
        return falla(QStringLiteral("no se puede leer el modelo ") + Model);
    const QByteArray bytes = modelo.readAll();

    TemporaryTarget destino(NativePath(Target));
    QString motivo;
    if (!destino.Create(&motivo))
        return falla(QStringLiteral("no se puede escribir ") + Target + QStringLiteral(": ") +
                     motivo);
    {
        QFile copia(destino.Path());
        if (!copia.open(QIODevice::WriteOnly) || copia.write(bytes) != bytes.size() ||
            !copia.flush())
            return falla(QStringLiteral("no se puede escribir ") + Target + QStringLiteral(": ") +
                         copia.errorString());
    }

    Archivo archivo;
    int codigo = 0;
    archivo.zip = zip_open(QFile::encodeName(destino.Path()).constData(), 0, &codigo);
    if (!archivo.zip)
        return falla(QStringLiteral("el modelo ") + Model +
                     QStringLiteral(" no es un documento .docx ni .odt"));

    static const QRegularExpression partesDocx(
        QStringLiteral("^word/(document|header\\d*|footer\\d*)\\.xml$"));
    const bool esDocx = zip_name_locate(archivo.zip, "word/document.xml", 0) >= 0;
    const bool esOdt = !esDocx && zip_name_locate(archivo.zip, "content.xml", 0) >= 0;
    if (!esDocx && !esOdt)
        return falla(QStringLiteral("el modelo ") + Model +
                     QStringLiteral(" no es un documento .docx ni .odt"));
    const TipoDocumento& tipo = esDocx ? kDocx : kOdt;

    std::list<QByteArray> contenidos;  // libzip reads them at close
    const zip_int64_t entradas = zip_get_num_entries(archivo.zip, 0);
    for (zip_int64_t i = 0; i < entradas; ++i) {
        const QString nombre = QString::fromUtf8(zip_get_name(archivo.zip, zip_uint64_t(i), 0));
        const bool parte = esDocx ? partesDocx.match(nombre).hasMatch()
                                  : nombre == QLatin1String("content.xml") ||
                                        nombre == QLatin1String("styles.xml");
        if (!parte) continue;
        QByteArray& xml = contenidos.emplace_back();
        if (!LeerEntrada(archivo.zip, zip_uint64_t(i), xml))
            return falla(QStringLiteral("el modelo está dañado (") + nombre + QLatin1Char(')'));
        if (!RellenarXml(xml, tipo, Fields, &motivo)) return falla(motivo);
        zip_source_t* fuente =
            zip_source_buffer(archivo.zip, xml.constData(), zip_uint64_t(xml.size()), 0);
        if (!fuente || zip_file_replace(archivo.zip, zip_uint64_t(i), fuente, 0) != 0) {
            if (fuente) zip_source_free(fuente);
            return falla(QStringLiteral("no se puede escribir ") + Target);
        }
    }
    if (zip_close(archivo.zip) != 0)
        return falla(QStringLiteral("no se puede escribir ") + Target + QStringLiteral(": ") +
                     QString::fromUtf8(zip_strerror(archivo.zip)));
    archivo.zip = nullptr;
    if (!destino.Commit(&motivo))
        return falla(QStringLiteral("no se puede escribir ") + Target + QStringLiteral(": ") +
                     motivo);
    return true;
}
