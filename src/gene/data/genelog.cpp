// Usage log, record objects, predefined texts, mail settings and the
// attendance code of an employee.

#include "gene/data/genelog.h"

#include <algorithm>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryFile>
#include <QVariant>

#include "db/dberror.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "io/textfile.h"

TBuscarConFiltroYValor GanchoBuscarConFiltroYValor = nullptr;
TVisorAgregarDatos GanchoVisorAgregarDatos = nullptr;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kFoto = QStringLiteral("Foto");
const QString kDatabase = QStringLiteral("Database");
// Lines the usage log keeps before the new one.
constexpr int kLineasRegistro = 100;

TfGENEINIC* sesion() {
    return fGENEINIC ? fGENEINIC : CrearSesion();
}

bool esError(const QString& r) {
    return r.startsWith(QLatin1String("Error."));
}

QString sinPropietario(TModuloDatos* m, const QString& tabla) {
    QString r;
    NombreTablaSinPropietario(m, tabla, r);
    return r;
}

QString tablaBlob(TModuloDatos* m) {
    QString r;
    NombreTablaFisico(m, QStringLiteral("BLOBTAB"), r);
    return r;
}

// The object's row of BLOBTAB, selected by bound values.
void prepararConsultaObjeto(TModuloDatos* m, TQuery& q, const QString& inicio, const QString& tabla,
                            const QString& clave, const QString& id) {
    q.setRequestLive(false);
    q.setDatabaseName(NombreBaseDatosSelector(kDatabase));
    q.SQL().setText(inicio + tablaBlob(m) +
                    QStringLiteral(" WHERE NombreTabla = :NombreTabla AND ClaveTabla = "
                                   ":ClaveTabla AND IdObjeto = :IdObjeto"));
    q.ParamByName(QStringLiteral("NombreTabla"))->setAsString(tabla);
    q.ParamByName(QStringLiteral("ClaveTabla"))->setAsString(clave);
    q.ParamByName(QStringLiteral("IdObjeto"))->setAsString(id);
}

// A picture recognised from its bytes (JPEG, BMP or PNG); a null image else.
QImage imagenDeBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return QImage();
    QImageReader lector(&buffer);
    lector.setDecideFormatFromContent(true);
    const QByteArray formato = lector.format();
    if (formato != "jpeg" && formato != "bmp" && formato != "png") return QImage();
    return lector.read();
}

// Image controls show what their "Picture" property holds.
void asignarImagen(QObject* imagen, const QImage& picture) {
    if (imagen) imagen->setProperty("Picture", QVariant::fromValue(picture));
}

// A text of TEXTO: 1 found, 0 none, -1 the table could not be read.
int leerTexto(TModuloDatos* m, const QString& codigo, QString& texto) {
    QString r;
    EjecutarSQL(m,
                QStringLiteral("SELECT Texto FROM TEXTO WHERE Codigo = ") + Entrecomillar(codigo),
                kDatabase, QString(), r);
    if (esError(r)) return -1;
    if (r.isEmpty()) return 0;
    QString tipo;
    EjecutarSQL(m, QStringLiteral("SELECT Tipo FROM TEXTO WHERE Codigo = ") + Entrecomillar(codigo),
                kDatabase, QString(), tipo);
    if (esError(tipo)) return -1;
    if (tipo == QLatin1String("Plantilla"))
        RellenarPlantilla(m, codigo, texto);
    else
        texto = r;
    return 1;
}

}  // namespace

void RegistrarUso(TModuloDatos*, QObject* Formulario, const QString& Accion) {
    if (!Formulario || !MonitorizarActividadUsuario) return;
    QString usuario;
    NombreUsuarioWindows(usuario);
    const QString archivo =
        JoinPath(NativePath(DirectorioPrograma), usuario + QStringLiteral(".log"));

    QString texto;
    TextEncoding codificacion = TextEncoding::Windows1252;
    QStringList lineas;
    if (ReadTextFile(archivo, texto, &codificacion)) lineas = LineasTexto(texto);
    QString accion = Accion;
    if (accion.contains(QLatin1String("Start"))) {
        accion = ExtraerToken(1, accion, QStringLiteral(","));
        lineas.clear();
    }

    QString nombre, direccion, error;
    const QString equipo =
        NombreEquipo(nombre, direccion, error) ? nombre + QLatin1Char('/') + direccion : error;
    QVariant titulo = Formulario->property("Caption");
    if (!titulo.isValid()) titulo = Formulario->property("windowTitle");
    const QString separador = QStringLiteral(", ");
    const QString linea =
        FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn:ss"), QDateTime::currentDateTime()) +
        separador + accion + separador + Formulario->objectName() + separador + titulo.toString() +
        separador + equipo + separador;

    while (lineas.size() > kLineasRegistro) lineas.removeFirst();
    lineas << linea;
    texto.clear();
    for (const QString& l : lineas) texto += l + kCrLf;
    WriteTextFile(archivo, texto, codificacion);  // the log never reports
}

bool GrabarObjetoBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                      QObject* Imagen, const QString& Archivo, const TRowAsRead& Propietario) {
    if (Tabla.isEmpty()) return true;
    const QString tabla = sinPropietario(ModuloDatos, Tabla);

    // The new file is read and checked before the stored photo is touched.
    QByteArray bytes;
    QImage imagen;
    if (!Archivo.isEmpty()) {
        QFile f(NativePath(Archivo));
        QString motivo;
        if (!f.open(QIODevice::ReadOnly)) {
            motivo = f.errorString();
        } else {
            bytes = f.readAll();
            imagen = imagenDeBytes(bytes);
            if (imagen.isNull())
                motivo = QStringLiteral("El archivo no contiene una imagen JPEG, BMP o PNG.");
        }
        if (!motivo.isEmpty()) {
            MensajeAdvertencia(QStringLiteral("¡No ha sido posible leer la imagen ") + Archivo +
                               QStringLiteral("!. Motivo: ") + motivo);
            return false;
        }
    }

    TfGENEINIC* f = sesion();
    TGuardaTransaccion guarda(f, f->Database);
    try {
        // Compared in the transaction that stores the photo: no delete or
        // new record under the key slips between the two.
        CheckRowAsRead(Propietario);
        TQuery borrar;
        prepararConsultaObjeto(ModuloDatos, borrar, QStringLiteral("DELETE FROM "), tabla, Clave,
                               kFoto);
        if (!AbrirConsulta(ModuloDatos, &borrar, QStringLiteral("ExecSQL"))) return false;
        if (!Archivo.isEmpty()) {
            TQuery insertar;
            insertar.setDatabaseName(NombreBaseDatosSelector(kDatabase));
            insertar.SQL().setText(
                QStringLiteral("INSERT INTO ") + tablaBlob(ModuloDatos) +
                QStringLiteral(" (NombreTabla, ClaveTabla, IdObjeto, TipoObjeto, Objeto) VALUES "
                               "(:NombreTabla, :ClaveTabla, :IdObjeto, :TipoObjeto, :Objeto)"));
            insertar.ParamByName(QStringLiteral("NombreTabla"))->setAsString(tabla);
            insertar.ParamByName(QStringLiteral("ClaveTabla"))->setAsString(Clave);
            insertar.ParamByName(QStringLiteral("IdObjeto"))->setAsString(kFoto);
            insertar.ParamByName(QStringLiteral("TipoObjeto"))
                ->setAsString(QStringLiteral("Imagen"));
            insertar.ParamByName(QStringLiteral("Objeto"))->setAsBlob(bytes);
            if (!AbrirConsulta(ModuloDatos, &insertar, QStringLiteral("ExecSQL"))) return false;
        }
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar la imagen!. Motivo: ") +
                           MotivoError(e));
        return false;
    }
    if (!guarda.Confirmar()) return false;
    if (!Archivo.isEmpty()) asignarImagen(Imagen, imagen);
    return true;
}

QString TipoObjetoBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                       const QString& IdObjeto, QString& Tipo) {
    EjecutarSQL(ModuloDatos,
                QStringLiteral("SELECT TipoObjeto FROM ") + tablaBlob(ModuloDatos) +
                    QStringLiteral("   WHERE NombreTabla = ") +
                    Entrecomillar(sinPropietario(ModuloDatos, Tabla)) +
                    QStringLiteral("    AND ClaveTabla = ") + Entrecomillar(Clave) +
                    QStringLiteral("    AND IdObjeto = ") + Entrecomillar(IdObjeto),
                kDatabase, QString(), Tipo);
    // A failed lookup (already shown) is no type.
    if (esError(Tipo)) Tipo.clear();
    return Tipo;
}

QString ExtraerObjetoBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                          const QString& IdObjeto, QString& Archivo) {
    Archivo.clear();
    TQuery q;
    prepararConsultaObjeto(ModuloDatos, q, QStringLiteral("SELECT * FROM "),
                           sinPropietario(ModuloDatos, Tabla), Clave, IdObjeto);
    try {
        if (!AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open")) || q.IsEmpty()) return Archivo;
        QString nombre;
        NombreTablaTemporalUnica(ModuloDatos, ModuloDatos, 0, nombre);
        QString tipo = q.FieldByName(QStringLiteral("TipoObjeto"))->AsString().toLower();
        // The stored type is anyone's text: only a plain extension may become
        // part of the name, so the file can never leave the temporary folder.
        if (!std::all_of(tipo.cbegin(), tipo.cend(), [](QChar c) { return c.isLetterOrNumber(); }))
            tipo.clear();
        // The session's name is the same for every object and, in the temporary
        // folder every session and user of the machine shares, for other
        // installations too: a part of its own keeps each file apart from one
        // still in use. The file is new and only ours (mode 0600).
        QTemporaryFile f(DirectorioTemporal() + nombre + QStringLiteral("_XXXXXX") +
                         (tipo.isEmpty() ? QString() : QLatin1Char('.') + tipo));
        f.setAutoRemove(false);
        if (!f.open()) return Archivo;
        const QByteArray bytes = q.FieldByName(QStringLiteral("Objeto"))->AsBytes();
        if (f.write(bytes) != bytes.size() || !f.flush()) {
            f.remove();
            return Archivo;
        }
        Archivo = f.fileName();
    } catch (const EAbort&) {
        Archivo.clear();
    } catch (const std::exception&) {
        Archivo.clear();
    }
    return Archivo;
}

void MostrarImagenBLOB(TModuloDatos* ModuloDatos, const QString& Tabla, const QString& Clave,
                       const QString& IdObjeto, QObject* Imagen) {
    asignarImagen(Imagen, QImage());
    QString archivo;
    ExtraerObjetoBLOB(ModuloDatos, Tabla, Clave, IdObjeto, archivo);
    if (archivo.isEmpty()) return;
    QFile f(archivo);
    if (f.open(QIODevice::ReadOnly)) {
        const QImage imagen = imagenDeBytes(f.readAll());
        if (!imagen.isNull()) asignarImagen(Imagen, imagen);
        f.close();
    }
    QFile::remove(archivo);
}

QString TextoPredefinido(TModuloDatos* ModuloDatos, const QString& Codigo, QString& Texto) {
    Texto.clear();
    if (!Codigo.isEmpty()) {
        const int leido = leerTexto(ModuloDatos, Codigo, Texto);
        // An unreadable table gives nothing rather than its error text.
        if (leido != 0) {
            if (leido < 0) Texto.clear();
            return Texto;
        }
    }
    if (!GanchoBuscarConFiltroYValor) return Texto;
    QVariant clave;
    GanchoBuscarConFiltroYValor(QStringLiteral("TEXTO"), 0, QString(), clave, Codigo);
    const QString elegido = clave.typeId() == QMetaType::QVariantList
                                ? clave.toList().value(0).toString()
                                : clave.toString();
    if (!elegido.isEmpty() && leerTexto(ModuloDatos, elegido, Texto) < 0) Texto.clear();
    return Texto;
}

QString RellenarPlantilla(TModuloDatos* ModuloDatos, const QString& Codigo, QString& Texto) {
    Texto.clear();
    QString plantilla, descripcion;
    EjecutarSQL(ModuloDatos,
                QStringLiteral("SELECT Texto FROM TEXTO WHERE Codigo = ") + Entrecomillar(Codigo),
                kDatabase, QString(), plantilla);
    if (esError(plantilla)) return Texto;
    QString definiciones;
    for (const QString& linea : LineasTexto(plantilla))
        definiciones +=
            ExtraerToken(0, linea, QStringLiteral(":")) + QStringLiteral(",ftString,100;");
    EjecutarSQL(
        ModuloDatos,
        QStringLiteral("SELECT Descripcion FROM TEXTO WHERE Codigo = ") + Entrecomillar(Codigo),
        kDatabase, QString(), descripcion);
    if (esError(descripcion)) descripcion.clear();
    if (!GanchoVisorAgregarDatos) return Texto;

    const QString opciones = QStringLiteral("Titulo=") + descripcion + kCrLf +
                             QStringLiteral("DefinicionCampos=") + definiciones + kCrLf +
                             QStringLiteral("Opciones=RespetarNombresCampos") + kCrLf;
    QString respuesta;
    GanchoVisorAgregarDatos(sesion(), opciones, nullptr, respuesta);
    QStringList lineas;
    for (QString l : LineasTexto(respuesta)) {
        if (l == QLatin1String("="))
            l.clear();
        else if (const qsizetype i = l.indexOf(QLatin1Char('=')); i >= 0)
            l.replace(i, 1, QStringLiteral(": "));
        lineas << l;
    }
    Texto = lineas.join(kCrLf);
    return Texto;
}

void ConfiguracionSMTP(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Opciones,
                       QString& Texto) {
    static const char* const kClaves[] = {"ClienteSMTP",       "ServidorSMTP",
                                          "CodigoUsuarioSMTP", "ClaveAccesoSMTP",
                                          "PuertoSSL",         "CuentaSMTPCopiasDocumentos",
                                          "CuentaFromSMTP"};
    const QString sufijo =
        Opciones.contains(QLatin1String("Masivo")) ? QStringLiteral("(Masivo)") : QString();
    QStringList claves, valores;
    bool alguno = false;
    for (const char* c : kClaves) {
        claves << QLatin1String(c) + sufijo;
        QString v;
        LeerConfiguracionUsuario(ModuloDatos, Usuario, claves.last(), v);
        alguno = alguno || !v.isEmpty();
        valores << v;
    }
    if (!alguno) {
        QString empresa;
        try {
            TTable* p = ModuloDatos ? ModuloDatos->ParamGenerales : nullptr;
            if (p && p->Active())
                if (TField* cfg = p->FindField(QStringLiteral("CfgCorreoElectronico")))
                    empresa = cfg->AsString();
        } catch (const std::exception&) {
            empresa.clear();
        }
        for (qsizetype i = 0; i < claves.size(); ++i)
            valores[i] = ValorParametro(claves[i], empresa);
    }
    QStringList lineas;
    for (qsizetype i = 0; i < claves.size(); ++i)
        lineas << claves[i] + QLatin1Char('=') + valores[i];
    Texto = lineas.join(kCrLf);
}

int CodigoOperarioPresencia(TModuloDatos* ModuloDatos, int CodigoOperario) {
    QString r;
    EjecutarSQL(ModuloDatos,
                QStringLiteral("SELECT CodigoOperarioPresencia FROM PERSONAL   WHERE "
                               "CodigoOperario = ") +
                    QString::number(CodigoOperario),
                kDatabase, QString(), r);
    int codigo = 0;
    if (TryStrToInt(r, codigo) && codigo != 0) return codigo;
    return CodigoOperario;
}
