#include "gene/session/geneinic_estructura.h"

#include "gene/data/geneconv.h"

namespace {

// One line of a definition into the structure; lines that are neither a
// column nor an index add nothing.
void LeerLinea(TEstructuraTabla& e, const QString& linea) {
    if (!linea.contains(QLatin1Char('/'))) return;
    const QStringList p = linea.split(QLatin1Char('/'));
    const QString clase = p.value(1);
    if (clase == QLatin1String("C")) {
        TColumnaEstructura c;
        c.Linea = linea;
        c.Nombre = p.value(3);
        c.Tipo = TipoCampoDeNombre(p.value(4));
        c.Tamano = p.value(5).trimmed();
        c.Longitud = c.Tamano.toInt();
        c.Requerido = p.value(6).trimmed() == QLatin1String("*");
        e.Columnas << c;
        if (e.Indices.isEmpty()) e.ColumnasIniciales = e.Columnas.size();
    } else if (clase == QLatin1String("I")) {
        TIndiceEstructura i;
        i.Nombre = p.value(3);
        i.Campos = p.value(4);
        const QString opciones = p.value(5);
        i.Descendente = opciones.contains(QLatin1Char('-'));
        i.Unico = opciones.contains(QLatin1String("Unico"));
        e.Indices << i;
    }
}

}  // namespace

QStringList TEstructuraTabla::CamposClave() const {
    for (auto i = Indices.crbegin(); i != Indices.crend(); ++i)
        if (i->Primario()) return i->Campos.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return {};
}

void TEstructuraTabla::AnadirCampos(const TEstructuraTabla& Otra) {
    for (const TColumnaEstructura& c : Otra.Columnas) Columnas.insert(ColumnasIniciales++, c);
}

TEstructuraTabla LeerEstructuraTabla(const QStringList& Lineas) {
    TEstructuraTabla e;
    for (const QString& l : Lineas) LeerLinea(e, l);
    return e;
}

TEstructuraTabla LeerEstructuraDiccionario(const QStringList& Lineas, const QString& NombreTabla) {
    TEstructuraTabla e;
    bool enBloque = false;
    for (const QString& l : Lineas) {
        const qsizetype barra = l.indexOf(QLatin1Char('/'));
        if (barra >= 0 &&
            QStringView(l).left(barra).compare(NombreTabla, Qt::CaseInsensitive) == 0) {
            enBloque = true;
            LeerLinea(e, l);
        } else if (enBloque) {
            break;
        }
    }
    return e;
}
