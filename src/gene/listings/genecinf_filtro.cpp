#include "gene/listings/genecinf_filtro.h"

#include <exception>

#include "db/dberror.h"
#include "db/query.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"

namespace {

const QString kCondicion = QStringLiteral("   WHERE NombreTabla = 'GeneradorInformes'");

QString CondicionNombre(const QString& Nombre) {
    return kCondicion + QStringLiteral("    AND Descripcion = ") + Entrecomillar(Nombre);
}

QString Consultar(const QString& SQL) {
    return ConsultaSilenciosa(ModuloDatos, SQL, QStringLiteral("Database"));
}

}  // namespace

bool LeerInforme(const QString& Nombre, QString& SQL, QString& Instrucciones) {
    SQL.clear();
    Instrucciones.clear();
    // Read through a query: the memo texts keep every line break of their own.
    TQuery q;
    q.setRequestLive(false);
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().setText(QStringLiteral("SELECT Filtro, Instrucciones FROM FILTRO") +
                    CondicionNombre(Nombre));
    if (!AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open Silencio")) || q.Eof()) return false;
    SQL = q.FieldByName(QStringLiteral("Filtro"))->AsString();
    Instrucciones = q.FieldByName(QStringLiteral("Instrucciones"))->AsString();
    return true;
}

bool ExisteInforme(const QString& Nombre) {
    return !Consultar(QStringLiteral("SELECT Descripcion FROM FILTRO") + CondicionNombre(Nombre))
                .isEmpty();
}

QString PrimerInforme() {
    return Consultar(QStringLiteral("SELECT MIN(Descripcion) FROM FILTRO") + kCondicion);
}

QString InformeAnterior(const QString& Nombre) {
    const QString anterior =
        Consultar(QStringLiteral("SELECT MAX(Descripcion) FROM FILTRO") + kCondicion +
                  QStringLiteral("    AND Descripcion < ") + Entrecomillar(Nombre));
    return anterior.isEmpty() ? PrimerInforme() : anterior;
}

bool InformeModificado(const QString& Nombre, const QString& SQL, const QString& Instrucciones) {
    QString sql, instrucciones;
    if (!LeerInforme(Nombre, sql, instrucciones)) return true;
    return sql != SQL || instrucciones != Instrucciones;
}

bool EscribirInforme(const QString& Nombre, const QString& SQL, const QString& Instrucciones,
                     QString& Motivo) {
    Motivo.clear();
    try {
        TGuardaTransaccion transaccion(fGENEINIC, BaseDatosSelector(QStringLiteral("Database")));
        QString r;
        EjecutarSQL(ModuloDatos, QStringLiteral("DELETE FROM FILTRO") + CondicionNombre(Nombre),
                    QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
        if (!r.startsWith(QLatin1String("Error")))
            EjecutarSQL(ModuloDatos,
                        QStringLiteral("INSERT INTO FILTRO (NombreTabla, Descripcion, Filtro, "
                                       "Instrucciones) VALUES ('GeneradorInformes', ") +
                            Entrecomillar(Nombre) + QStringLiteral(", ") + Entrecomillar(SQL) +
                            QStringLiteral(", ") + Entrecomillar(Instrucciones) + QLatin1Char(')'),
                        QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
        if (r.startsWith(QLatin1String("Error"))) {
            Motivo = r;
            return false;  // the guard rolls the delete back
        }
        if (!transaccion.Confirmar()) {
            Motivo = QStringLiteral("Error. No se puede finalizar la transacción");
            return false;
        }
    } catch (const std::exception& e) {
        Motivo = MotivoError(e);
        return false;
    }
    MenusConsultasModificados();
    return true;
}

bool EliminarInforme(const QString& Nombre) {
    QString r;
    EjecutarSQL(ModuloDatos, QStringLiteral("DELETE FROM FILTRO") + CondicionNombre(Nombre),
                QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    if (r.startsWith(QLatin1String("Error"))) return false;
    MenusConsultasModificados();
    return true;
}

int CopiarAccesosInformes(const QStringList& Nombres, const QString& UsuariosAutorizados,
                          const QString& AplicacionesContenedoras) {
    int escritos = 0;
    for (const QString& nombre : Nombres) {
        QString sql, instrucciones;
        if (!LeerInforme(nombre, sql, instrucciones)) continue;
        QStringList lineas = LineasTexto(instrucciones);
        AsignarValorLista(QStringLiteral("UsuariosAutorizados"), UsuariosAutorizados, lineas);
        AsignarValorLista(QStringLiteral("AplicacionesContenedoras"), AplicacionesContenedoras,
                          lineas);
        QString r;
        EjecutarSQL(
            ModuloDatos,
            QStringLiteral("UPDATE FILTRO SET Instrucciones = ") +
                Entrecomillar(lineas.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")) +
                CondicionNombre(nombre),
            QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
        if (!r.startsWith(QLatin1String("Error"))) ++escritos;
    }
    return escritos;
}
