#include "gene/session/genecomp.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QObject>
#include <QWidget>

#include "ui/component.h"

namespace {

// Names are compared folding ASCII letters only, as the system does.
bool MismoNombre(QStringView a, QStringView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'a' && x <= u'z') x -= 32;
        if (y >= u'a' && y <= u'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

QObject* Buscar(QObject* padre, const QString& nombre) {
    for (QObject* hijo : padre->children()) {
        if (MismoNombre(hijo->objectName(), nombre)) return hijo;
        // Another window owns what it holds.
        auto* ventana = qobject_cast<QWidget*>(hijo);
        if (ventana && ventana->isWindow()) continue;
        if (QObject* encontrado = Buscar(hijo, nombre)) return encontrado;
    }
    return nullptr;
}

// A published method: invokable or slot, taking nothing or one object.
int IndiceMetodo(const QMetaObject* meta, const QString& nombre) {
    if (nombre.size() > 255) return -1;
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod m = meta->method(i);
        if (m.methodType() != QMetaMethod::Method && m.methodType() != QMetaMethod::Slot) continue;
        if (m.parameterCount() > 1) continue;
        if (m.parameterCount() == 1 &&
            !(m.parameterMetaType(0).flags() & QMetaType::PointerToQObject))
            continue;
        if (MismoNombre(QString::fromLatin1(m.name()), nombre)) return i;
    }
    return -1;
}

int IndicePropiedad(const QMetaObject* meta, const QString& nombre) {
    // The exact spelling first: the controls publish "Width" beside Qt's
    // read-only "width", "Visible" beside "visible".
    const int exacta = meta->indexOfProperty(nombre.toLatin1().constData());
    if (exacta >= 0) return exacta;
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (MismoNombre(QString::fromLatin1(meta->property(i).name()), nombre)) return i;
    return -1;
}

struct NombreDeColor {
    const char* nombre;
    int valor;
};

// In this order: a colour with two names answers with the first.
const NombreDeColor kColores[] = {
    {"Aguamarina", 16776960},   {"Negro", 0},
    {"Azul", 16711680},         {"Gris Oscuro", 8421504},
    {"Fucsia", 16711935},       {"Gris", 8421504},
    {"Verde", 32768},           {"Verde Claro", 65280},
    {"Gris Claro", 12632256},   {"Rojo Oscuro", 128},
    {"Azul Marino", 8388608},   {"Oliva", 32896},
    {"Purpura", 8388736},       {"Rojo", 255},
    {"Plateado", 12632256},     {"Esmeralda", 8421376},
    {"Blanco", 16777215},       {"Amarillo", 65535},
    {"Azul Celeste", 15780518}, {"Verde Claro 2", 12639424},
    {"Crema", 15793151},        {"Gris Medio", 10789024},
};

}  // namespace

QObject* BuscarComponente(QObject* Owner, const QString& Nombre) {
    // Unnamed objects (layouts, helpers) are nobody's component.
    return Owner && !Nombre.isEmpty() ? Buscar(Owner, Nombre) : nullptr;
}

bool TieneMetodoPublicado(QObject* Objeto, const QString& Metodo) {
    return Objeto && IndiceMetodo(Objeto->metaObject(), Metodo) >= 0;
}

bool LlamarMetodoPublicado(QObject* Objeto, const QString& Metodo, QObject* Argumento) {
    if (!Objeto) return false;
    const int indice = IndiceMetodo(Objeto->metaObject(), Metodo);
    if (indice < 0) return false;
    const QMetaMethod m = Objeto->metaObject()->method(indice);
    try {
        if (m.parameterCount() == 0) return m.invoke(Objeto, Qt::DirectConnection);
        // The argument must be of the class the method declares.
        const QMetaObject* esperado = m.parameterMetaType(0).metaObject();
        if (Argumento && esperado && !Argumento->metaObject()->inherits(esperado)) return false;
        QObject* valor = Argumento;
        return m.invoke(Objeto, Qt::DirectConnection,
                        QGenericArgument(m.parameterTypes().at(0).constData(), &valor));
    } catch (...) {
        return false;
    }
}

void LeerPropiedad(QObject* Objeto, const QString& Propiedad, QVariant& Valor) {
    Valor = QString(QLatin1String(""));
    if (!Objeto) return;
    const int indice = IndicePropiedad(Objeto->metaObject(), Propiedad);
    if (indice < 0) return;
    try {
        const QMetaProperty p = Objeto->metaObject()->property(indice);
        QVariant leido = p.read(Objeto);
        if (!leido.isValid()) return;
        if (p.isEnumType()) {
            const QMetaEnum e = p.enumerator();
            const int n = leido.toInt();
            Valor = QString::fromLatin1(p.isFlagType() ? e.valueToKeys(n)
                                                       : QByteArray(e.valueToKey(n)));
        } else {
            Valor = leido;
        }
    } catch (...) {
        Valor = QString(QLatin1String(""));
    }
}

void AsignarPropiedad(QObject* Objeto, const QString& Propiedad, const QVariant& Valor) {
    if (!Objeto) return;
    const int indice = IndicePropiedad(Objeto->metaObject(), Propiedad);
    if (indice < 0) return;
    try {
        const QMetaProperty p = Objeto->metaObject()->property(indice);
        if (!p.isWritable()) return;
        if (p.isEnumType() && Valor.typeId() == QMetaType::QString) {
            const QMetaEnum e = p.enumerator();
            bool ok = false;
            const QByteArray clave = Valor.toString().toLatin1();
            const int n = p.isFlagType() ? e.keysToValue(clave.constData(), &ok)
                                         : e.keyToValue(clave.constData(), &ok);
            if (ok) p.write(Objeto, n);
            return;
        }
        p.write(Objeto, Valor);
    } catch (...) {
    }
}

bool TienePropiedad(QObject* Objeto, const QString& Propiedad) {
    if (!Objeto) return false;
    const QMetaObject* meta = Objeto->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        const int tipo = p.metaType().id();
        if (tipo == QMetaType::LongLong || tipo == QMetaType::ULongLong) continue;
        if (QLatin1String(p.name()) == Propiedad) return true;
    }
    return false;
}

int ColorSegunNombre(const QString& Nombre) {
    for (const NombreDeColor& c : kColores)
        if (Nombre == QLatin1String(c.nombre)) return c.valor;
    return 0;
}

QString NombreColor(int Color) {
    for (const NombreDeColor& c : kColores)
        if (Color == c.valor) return QString::fromLatin1(c.nombre);
    return QString();
}

int ValorColor(const QString& Texto) {
    const int color = ColorSegunNombre(Texto);
    if (color != 0) return color;
    bool ok = false;
    const QString t = Texto.trimmed();
    const int valor = t.startsWith(QLatin1Char('$')) ? t.mid(1).toInt(&ok, 16) : t.toInt(&ok, 10);
    return ok ? valor : 0;
}

QColor ColorQt(int Color) {
    return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

int ColorDesdeQt(const QColor& Color) {
    return Color.red() + 256 * Color.green() + 65536 * Color.blue();
}

int EstiloFuente(const QString& Nombre) {
    if (Nombre == QLatin1String("fsBold") || Nombre == QLatin1String("Negrita")) return 0;
    if (Nombre == QLatin1String("fsItalic") || Nombre == QLatin1String("Italica")) return 1;
    if (Nombre == QLatin1String("fsUnderline") || Nombre == QLatin1String("Subrayado")) return 2;
    if (Nombre == QLatin1String("fsStrikeout") || Nombre == QLatin1String("Tachado")) return 3;
    return 255;
}

QString NombreEstiloFuente(int Estilos) {
    switch (Estilos) {
        case fsBold:
            return QStringLiteral("fsBold");
        case fsItalic:
            return QStringLiteral("fsItalic");
        case fsUnderline:
            return QStringLiteral("fsUnderline");
        case fsStrikeout:
            return QStringLiteral("fsStrikeout");
        default:
            return QString();
    }
}

QString FamiliaFuente(const QString& Nombre) {
    return FontFamily(Nombre);
}

QFont FuenteSistema(const QString& Nombre, int Puntos) {
    QFont fuente(FamiliaFuente(Nombre));
    if (Puntos > 0) fuente.setPointSize(Puntos);
    return fuente;
}
