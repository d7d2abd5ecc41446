#include "nomina/nomilcon_clausulas.h"

#include <QFontMetrics>
#include <QHash>
#include <QVariant>

#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/genetext.h"
#include "gene/print/genelimp_p.h"

namespace {

// The resolutions the engine lays a page out at, in pixels per inch: the
// screen preview (3.8095238 pixels a millimetre), PDF files and printers.
constexpr double kResoluciones[] = {3.8095238 * 25.4, 150, 300, 600};

struct TMemoImpreso {
    QString Campo;
    double Ancho = 0;
    int Maximo = 0;
    QString Fuente = QStringLiteral("Arial");
    double Puntos = 10;
    bool Negrita = false;
};

double numero(const QStringList& a, int i, double Defecto) {
    double v = 0;
    return i < a.size() && TryStrToFloat(a.at(i).trimmed(), v) ? v : Defecto;
}

// The memo fields a format prints outside its body, each with its width,
// line limit and the font in force where it is printed.
QList<TMemoImpreso> MemosFormato(const QString& Programa, TTable* Temporal) {
    QList<TMemoImpreso> memos;
    TMemoImpreso fuente;
    bool enLineas = false;
    for (const QString& linea : LineasProgramaImpreso(Programa)) {
        const QString nombre = linea.section(QLatin1Char('='), 0, 0);
        if (nombre.startsWith(QLatin1Char('['))) {
            enLineas = nombre == QLatin1String("[LINEAS]");
            continue;
        }
        const QStringList a = linea.section(QLatin1Char('='), 1, 1).split(QLatin1Char(';'));
        if (nombre == QLatin1String("Font")) {
            fuente.Fuente = a.value(0).trimmed();
            fuente.Puntos = numero(a, 1, 10);
            fuente.Negrita = a.value(3).contains(QLatin1String("Negrita")) ||
                             a.value(3).contains(QLatin1String("fsBold"));
            continue;
        }
        if (nombre != QLatin1String("Camp") || enLineas) continue;
        QString campo = a.value(3);
        campo.remove(QLatin1String("(Euro)"));
        campo = campo.trimmed();
        // A piece of the memo (",n") prints one line of it.
        if (campo.contains(QLatin1Char(','))) continue;
        TField* f = Temporal->FindField(campo);
        if (!f || (f->DataType() != ftMemo && f->DataType() != ftFmtMemo)) continue;
        TMemoImpreso m = fuente;
        m.Campo = f->FieldName();
        m.Ancho = numero(a, 2, 0);
        m.Maximo = int(numero(a, 4, 0));
        // A limit of 0 prints nothing on purpose.
        if (m.Maximo > 0) memos.append(m);
    }
    return memos;
}

QString nombreMemo(const QString& Campo) {
    if (Campo == QLatin1String("Clausulas")) return QStringLiteral("las cláusulas");
    if (Campo == QLatin1String("ClausulasAdicionales"))
        return QStringLiteral("las cláusulas adicionales");
    return Campo;
}

}  // namespace

int LineasMemoImpresas(const QString& Texto, const QString& Fuente, double Puntos, bool Negrita,
                       double Ancho) {
    QVariant lineas;
    LineasMemo(Texto, lineas);
    const QVariantList l = lineas.toList();
    if (Ancho <= 0) return int(l.size());
    int mayor = 0;
    for (double ppp : kResoluciones) {
        const int ancho = qRound(Ancho * ppp / 25.4);
        int total = 0;
        for (const QVariant& v : l) {
            QString linea = v.toString();
            linea.remove(QLatin1Char('\t'));
            const TMarcado marcado = LeerMarcado(linea);
            QFont f = FuenteImpreso(Fuente);
            f.setBold(Negrita || marcado.Estilos.contains(QLatin1Char('N')));
            const double puntos = marcado.Tamano > 0 ? marcado.Tamano : Puntos;
            f.setPixelSize(qMax(1, qRound(qMax(1, int(puntos)) * ppp / 72.0)));
            const QFontMetrics fm(f);
            total += int(PartirLineaMemo(marcado.Texto, [&](const QString& t, bool) {
                             return fm.horizontalAdvance(t) <= ancho;
                         }).size());
        }
        mayor = qMax(mayor, total);
    }
    return mayor;
}

QStringList MemosQueNoCaben(TTable* Temporal, TTable* Impreso) {
    QStringList avisos;
    if (!Temporal || !Temporal->Active() || !Impreso) return avisos;
    QHash<QString, QList<TMemoImpreso>> formatos;
    QHash<QString, int> medidas;
    auto memosDe = [&](const QString& Codigo) -> const QList<TMemoImpreso>& {
        auto it = formatos.find(Codigo);
        if (it != formatos.end()) return *it;
        QString programa;
        try {
            if (!Impreso->Active()) Impreso->Open();
            if (Impreso->FindKey({Codigo}))
                programa = Impreso->FieldByName(QStringLiteral("Instrucciones"))->AsString();
        } catch (...) {
            // A format that cannot be read is the engine's to report.
        }
        return *formatos.insert(Codigo, MemosFormato(programa, Temporal));
    };
    TField* codigo = Temporal->FindField(QStringLiteral("CodigoImpreso"));
    if (!codigo) return avisos;
    for (Temporal->First(); !Temporal->Eof(); Temporal->Next()) {
        for (const TMemoImpreso& m : memosDe(codigo->AsString())) {
            const QString texto = Temporal->FieldByName(m.Campo)->AsString();
            if (texto.isEmpty()) continue;
            // Contracts of one type mostly share their clauses: each text is measured once.
            const QString clave =
                codigo->AsString() + QLatin1Char('|') + m.Campo + QLatin1Char('|') + texto;
            auto medida = medidas.constFind(clave);
            if (medida == medidas.constEnd())
                medida = medidas.insert(
                    clave, LineasMemoImpresas(texto, m.Fuente, m.Puntos, m.Negrita, m.Ancho));
            const int lineas = *medida;
            if (lineas <= m.Maximo) continue;
            auto valor = [&](const char* n) {
                TField* f = Temporal->FindField(QLatin1String(n));
                return f ? f->AsString() : QString();
            };
            avisos << QStringLiteral(
                          "Operario %1 %2, contrato %3 del %4: %5 necesitan %6 líneas y el "
                          "impreso %7 imprime %8.")
                          .arg(valor("CodigoOperario"), valor("NombreOperario"),
                               valor("CodigoContrato"), valor("FechaAlta").left(10),
                               nombreMemo(m.Campo))
                          .arg(lineas)
                          .arg(codigo->AsString())
                          .arg(m.Maximo);
        }
    }
    Temporal->First();
    return avisos;
}
