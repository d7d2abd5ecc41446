#include "gene/listings/genecsql_accesos.h"

#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_programas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"

const QString kRecuerdeCambiosAccesos = QStringLiteral(
    "Recuerde que los cambios realizados no serán efectivos hasta que las aplicaciones de los "
    "usuarios afectados sean cerradas y abiertas de nuevo");

namespace {
QStringList Items(const QString& Lista) {
    return Lista.split(QLatin1Char(','), Qt::SkipEmptyParts);
}
}  // namespace

QStringList SeleccionarMarcados(const QString& Opciones, const QStringList& Elementos,
                                const QStringList& Elegidos) {
    if (!GanchoSeleccionarDeLista) return {};
    QString elementos;
    for (const QString& e : Elementos)
        elementos +=
            (Elegidos.contains(e) ? QStringLiteral("*") : QString()) + e + QStringLiteral("\r\n");
    QString seleccion;
    GanchoSeleccionarDeLista(fGENEINIC, Opciones, elementos, seleccion);
    return LineasTexto(seleccion);
}

bool ElegirUsuariosAutorizados(const QString& Opciones, QString& Valor) {
    QString resultado;
    EjecutarSQL(ModuloDatosPreparado ? ModuloDatos : nullptr,
                QStringLiteral("SELECT Codigo, Nombre FROM USUARIO   ORDER BY Codigo"),
                QStringLiteral("DatabaseGeneral"), QStringLiteral("Silenciosa"), resultado);
    if (resultado.startsWith(QLatin1String("Error"))) return false;
    const QStringList actuales = Items(Valor);
    QStringList usuarios, elegidos;
    for (const QString& l : LineasTexto(resultado)) {
        const QString codigo = l.section(QLatin1Char('|'), 0, 0);
        usuarios << codigo + QStringLiteral(" - ") + l.section(QLatin1Char('|'), 1);
        if (actuales.contains(codigo)) elegidos << usuarios.last();
    }
    Valor.clear();
    for (const QString& s : SeleccionarMarcados(Opciones, usuarios, elegidos))
        Valor += s.section(QLatin1Char(' '), 0, 0) + QLatin1Char(',');
    return true;
}

void ElegirAplicacionesContenedoras(const QString& Opciones, QString& Valor) {
    const QStringList actuales = Items(Valor);
    QStringList aplicaciones, elegidas;
    for (int codigo = 100; codigo <= 9900; codigo += 100) {
        QString nombre;
        NombreAplicacion(fGENEINIC, codigo, nombre);
        if (nombre.isEmpty()) continue;
        aplicaciones << nombre;
        if (actuales.contains(nombre)) elegidas << nombre;
    }
    Valor.clear();
    for (const QString& s : SeleccionarMarcados(Opciones, aplicaciones, elegidas))
        Valor += s + QLatin1Char(',');
}

void RecordarCambiosAccesos() {
    Esperar(500);
    MensajeInformacion(kRecuerdeCambiosAccesos);
}
