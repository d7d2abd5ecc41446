#include "gene/listings/genecinf_intercambio.h"
#include "gene/session/geneinic_conexion.h"

#include <QFile>
#include <exception>

#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneclav_p.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "io/textfile.h"

const QString kArchivoSinInforme =
    QStringLiteral("¡El archivo indicado no contiene un informe personalizado!");

namespace {

const QString kGenerador = QStringLiteral("GeneradorInformes");
const QChar kPunto(0xB7);
const QString kCrLf = QStringLiteral("\r\n");
const QString kNoDisponible = QStringLiteral("¡El informe no está disponible!");

// The keys every design written by the designer holds; the two access
// lists may be missing (a copy of them drops an empty one).
const QStringList kClavesDiseno = {QStringLiteral("ListaTablas"),
                                   QStringLiteral("ListaColumnas"),
                                   QStringLiteral("ListaRestricciones"),
                                   QStringLiteral("ListaOrdenacion"),
                                   QStringLiteral("ListaVinculos"),
                                   QStringLiteral("ListaGrupos"),
                                   QStringLiteral("ListaSumatorios"),
                                   QStringLiteral("FormatoColumnas"),
                                   QStringLiteral("Opciones")};

void NoGrabado(const QString& Motivo) {
    MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar el registro!. Motivo: ") +
                       Motivo);
}

// A design cut short loses its last keys or the "," that ends Opciones.
bool DisenoCompleto(const QString& Instrucciones) {
    const QStringList lineas = LineasTexto(Instrucciones);
    for (const QString& clave : kClavesDiseno) {
        bool hallada = false;
        for (const QString& l : lineas)
            if (l.startsWith(clave + QLatin1Char('='))) hallada = true;
        if (!hallada) return false;
    }
    const QString opciones = ValorLista(QStringLiteral("Opciones"), lineas);
    return !opciones.isEmpty() && opciones.endsWith(QLatin1Char(','));
}

}  // namespace

bool InformeExportable(const QString& Nombre) {
    QString sql, instrucciones;
    if (!LeerInforme(Nombre, sql, instrucciones)) {
        MensajeAdvertencia(kNoDisponible);
        return false;
    }
    if (sql.contains(kPunto) || instrucciones.contains(kPunto)) {
        MensajeAdvertencia(
            QStringLiteral("¡El informe contiene el carácter \"·\" y no puede exportarse!"));
        return false;
    }
    return true;
}

bool ExportarInforme(const QString& Nombre, const QString& Archivo) {
    if (!InformeExportable(Nombre)) return false;
    TQuery q;
    q.setRequestLive(false);
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().setText(QStringLiteral("SELECT NombreTabla, Descripcion, Filtro, Instrucciones "
                                   "FROM FILTRO   WHERE NombreTabla = ") +
                    Entrecomillar(kGenerador) + QStringLiteral("    AND Descripcion = ") +
                    Entrecomillar(Nombre));
    try {
        if (!AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open Silencio")) || q.Eof()) {
            MensajeAdvertencia(kNoDisponible);
            return false;
        }
    } catch (const std::exception&) {
        MensajeAdvertencia(kNoDisponible);
        return false;
    }
    // The design is written whole, whatever fields the user's hidden list
    // names: the window shows it, and a file without one of its lines is
    // refused when imported.
    const QString texto = TextoNombreValorRegistro(&q, QStringLiteral("FormatoINI"), true);
    const TextEncoding codificacion =
        FitsWindows1252(texto) ? TextEncoding::Windows1252 : TextEncoding::Utf8Bom;
    if (!WriteTextFile(Archivo, texto, codificacion)) {
        MensajeAdvertencia(QStringLiteral("¡No es posible escribir el archivo ") + Archivo +
                           QStringLiteral("!"));
        return false;
    }
    return true;
}

bool LeerArchivoInforme(const QString& Archivo, InformeIntercambio& Informe) {
    Informe = {};
    QFile archivo(NativePath(Archivo));
    QByteArray bytes;
    if (archivo.open(QIODevice::ReadOnly)) bytes = archivo.readAll();
    const QString texto = bytes.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(bytes.mid(3))
                                                           : DecodeWindows1252(bytes);
    const QStringList lineas = LineasTexto(texto);
    QString tabla, instrucciones;
    bool conInstrucciones = false;
    for (const QString& l : lineas) {
        const qsizetype igual = l.indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        const QString clave = l.left(igual);
        const QString valor = l.mid(igual + 1);
        if (clave == QLatin1String("NombreTabla")) tabla = valor;
        if (clave == QLatin1String("Descripcion")) Informe.Descripcion = valor;
        if (clave == QLatin1String("Instrucciones")) {
            instrucciones = valor;
            conInstrucciones = true;
        }
    }
    instrucciones.replace(kPunto, kCrLf);
    // Every line the export writes ends with a line break: a file without
    // one at its end was cut short.
    if (!texto.endsWith(QLatin1Char('\n')) || tabla != kGenerador || !conInstrucciones ||
        !DisenoCompleto(instrucciones)) {
        Informe = {};
        MensajeAdvertencia(kArchivoSinInforme);
        return false;
    }
    Informe.Instrucciones = instrucciones;
    return true;
}

bool InsertarInformeImportado(const QString& Nombre, const InformeIntercambio& Informe) {
    const QString sql =
        GenerarSentenciaSQL(LeerInstrucciones(Informe.Instrucciones), MotorActual());
    TTable filtro;
    filtro.setTableName(QStringLiteral("FILTRO"));
    try {
        if (!AbrirTabla(fGENEINIC, &filtro)) {
            NoGrabado(QStringLiteral("Table does not exist"));
            return false;
        }
        filtro.Append();
        filtro.FieldByName(QStringLiteral("NombreTabla"))->setAsString(kGenerador);
        filtro.FieldByName(QStringLiteral("Descripcion"))->setAsString(Nombre);
        filtro.FieldByName(QStringLiteral("Filtro"))->setAsString(sql);
        filtro.FieldByName(QStringLiteral("Instrucciones"))->setAsString(Informe.Instrucciones);
        filtro.Post();
    } catch (const std::exception& e) {
        if (filtro.Active() && filtro.State() != dsBrowse) filtro.Cancel();
        NoGrabado(MotivoError(e));
        return false;
    }
    return true;
}

bool AbrirTablaInformes(TTable* Tabla) {
    Tabla->Close();
    Tabla->setTableName(QStringLiteral("FILTRO"));
    try {
        if (!AbrirTabla(fGENEINIC, Tabla)) return false;
        Tabla->SetRange({kGenerador}, {kGenerador});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
