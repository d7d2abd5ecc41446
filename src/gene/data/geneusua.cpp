// Per-user settings and the rights read from them; search associations.

#include "gene/data/geneusua.h"
#include "gene/session/geneinic_conexion.h"

#include <QFile>

#include "db/dberror.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua_p.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "io/outputfile.h"
#include "io/paths.h"
#include "io/textfile.h"

using geneusua::FilaUsuario;
using geneusua::Lectura;

QString ClaveAccesoUsuarioActual;
QString CamposNoVisiblesUsuario;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kGeneral = QStringLiteral("DatabaseGeneral");

bool esError(const QString& resultado) {
    return resultado.startsWith(QLatin1String("Error."));
}

// Settings kept in the user's own row rather than the profile user's.
bool esClavePropia(const QString& clave) {
    return clave == QLatin1String("IndicesBusqueda") || clave == QLatin1String("DatosBusqueda") ||
           clave == QLatin1String("ContadorAccesos");
}

// Settings that are columns of USUARIO rather than lines of Configuracion.
bool esClaveColumna(const QString& clave) {
    return clave == QLatin1String("ProgramasNoAccesibles") ||
           clave == QLatin1String("ProgramasSoloLectura") ||
           clave == QLatin1String("ProgramasActivos") || clave == QLatin1String("Empresas");
}

bool esCategoriaPropia(const QString& categoria) {
    return categoria.isEmpty() || categoria == QLatin1String("Administrador") ||
           categoria == QLatin1String("Configurador") || categoria == QLatin1String("Normal");
}

// The profile code; false (and the user's own code) when USUARIO could not
// be read. The reason is told once, as the SQL layer words it, or handed to
// `motivo` untold: the statement itself and a refusal read from no rights
// would only hide it.
bool leerPerfil(TModuloDatos* m, const QString& usuario, QString& perfil,
                QString* motivo = nullptr) {
    QString categoria;
    EjecutarSQL(
        m,
        QStringLiteral("SELECT Categoria FROM USUARIO   WHERE Codigo = ") + Entrecomillar(usuario),
        kGeneral, QStringLiteral("Silenciosa"), categoria);
    perfil = usuario;
    if (esError(categoria)) {
        if (motivo)
            *motivo = categoria;
        else
            MensajeAdvertencia(categoria);
        return false;
    }
    if (!esCategoriaPropia(categoria)) perfil = categoria;
    return true;
}

// Whole lines, without regard to case.
bool esLinea(const QString& lista, const QString& nombre) {
    const QStringList lineas = LineasTexto(lista);
    for (const QString& l : lineas)
        if (l.compare(nombre, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString textoLineas(const QStringList& lineas) {
    QString texto;
    for (const QString& l : lineas) texto += l + kCrLf;
    return texto;
}

QString archivoBusqueda() {
    return JoinPath(NativePath(DirectorioPrograma), QStringLiteral("BUSQUEDA.TXT"));
}

}  // namespace

namespace geneusua {

FilaUsuario LeerFila(TModuloDatos* ModuloDatos, const QString& Codigo) {
    FilaUsuario fila;
    if (!ModuloDatos || !ModuloDatos->Usuario) return fila;
    // Read from the engine each time, so that changes of other sessions count
    // at once and the shared Usuario cursor stays where forms left it.
    TQuery q;
    q.setRequestLive(false);
    try {
        const QString base = ModuloDatos->Usuario->DatabaseName();
        q.setDatabaseName(base.isEmpty() ? NombreBaseDatosSelector(kGeneral) : base);
        q.SQL().setText(QStringLiteral("SELECT * FROM USUARIO WHERE Codigo = :Codigo"));
        q.ParamByName(QStringLiteral("Codigo"))->setAsString(Codigo);
        q.Open();
        if (q.IsEmpty()) {
            fila.estado = Lectura::SinFila;
            return fila;
        }
        for (TField* f : q.Fields()) fila.columnas.insert(f->FieldName().toLower(), f->AsString());
        fila.estado = Lectura::Leida;
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        fila.estado = Lectura::Fallo;
        fila.motivo = QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") +
                      MotivoError(e);
    }
    return fila;
}

Lectura LeerClave(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Clave,
                  QString& Valor, QString* Motivo) {
    if (!ModuloDatos || !ModuloDatos->Usuario) return Lectura::Fallo;
    QString codigo = Usuario;
    if (!esClavePropia(Clave) && !leerPerfil(ModuloDatos, Usuario, codigo, Motivo))
        return Lectura::Fallo;
    const FilaUsuario fila = LeerFila(ModuloDatos, codigo);
    if (Motivo) *Motivo = fila.motivo;
    if (fila.estado != Lectura::Leida) return fila.estado;
    if (esClaveColumna(Clave)) {
        if (!fila.Tiene(Clave)) return Lectura::Fallo;
        Valor = fila.Valor(Clave);
        return Lectura::Leida;
    }
    if (!fila.Tiene(QStringLiteral("Configuracion"))) return Lectura::Fallo;
    const QString valor = ValorParametro(Clave, fila.Valor(QStringLiteral("Configuracion")));
    if (!valor.isEmpty()) Valor = valor;
    return Lectura::Leida;
}

}  // namespace geneusua

QString UsuarioPerfil(TModuloDatos* ModuloDatos, const QString& Usuario, QString& Perfil) {
    leerPerfil(ModuloDatos, Usuario, Perfil);
    return Perfil;
}

QString LeerConfiguracionUsuario(TModuloDatos* ModuloDatos, const QString& Usuario,
                                 const QString& Clave, QString& Valor, const QString& Defecto) {
    QString valor = Defecto;
    if (geneusua::LeerClave(ModuloDatos, Usuario, Clave, valor) == Lectura::Fallo) valor = Defecto;
    Valor = valor;
    return Valor;
}

void GrabarConfiguracionUsuario(TModuloDatos* ModuloDatos, const QString& Usuario,
                                const QString& Clave, const QString& Valor) {
    if (!ModuloDatos || !ModuloDatos->Usuario) return;
    TTable* t = ModuloDatos->Usuario;
    const QString aviso =
        QStringLiteral("¡Imposible grabar la configuración del usuario!. Motivo: ");
    QString codigo = Usuario;
    // Without the profile (the SQL layer has said why) the setting would land
    // in the wrong row.
    if (!esClavePropia(Clave) && !leerPerfil(ModuloDatos, Usuario, codigo)) return;
    try {
        if (!t->Active()) t->Open();
        if (t->Locate(QStringLiteral("Codigo"), codigo, 0)) {
            t->Edit();
            if (esClaveColumna(Clave)) {
                t->FieldByName(Clave)->setAsString(Valor);
            } else {
                TField* configuracion = t->FieldByName(QStringLiteral("Configuracion"));
                QStringList lineas = LineasTexto(configuracion->AsString());
                AsignarValorLista(Clave, Valor, lineas);
                configuracion->setAsString(textoLineas(lineas));
            }
            t->Post();
        }
    } catch (const EAbort&) {
        if (t->Active()) t->Cancel();
    } catch (const std::exception& e) {
        if (t->Active()) t->Cancel();
        MensajeAdvertencia(aviso + MotivoError(e));
    }
    try {
        t->Close();
        t->Open();
    } catch (const std::exception&) {
    }
}

QString NivelAccesoPrograma(TModuloDatos* ModuloDatos, const QString& Usuario,
                            const QString& Programa, QString& Nivel) {
    QString nombre = Programa;
    nombre.remove(QLatin1Char('&'));
    QString noAccesibles, soloLectura, motivo;
    const bool fallo =
        geneusua::LeerClave(ModuloDatos, Usuario, QStringLiteral("ProgramasNoAccesibles"),
                            noAccesibles, &motivo) == Lectura::Fallo ||
        geneusua::LeerClave(ModuloDatos, Usuario, QStringLiteral("ProgramasSoloLectura"),
                            soloLectura, &motivo) == Lectura::Fallo;
    // Rights that could not be read open nothing; the user is told why, not
    // that he has no access (which would be false for an administrator).
    if (fallo && !motivo.isEmpty()) {
        MensajeAdvertencia(motivo);
        Nivel = QStringLiteral("Ninguno");
    } else if (fallo || esLinea(noAccesibles, nombre)) {
        MensajeInformacion(QStringLiteral("Vd. no tiene acceso al programa ") + nombre);
        Nivel = QStringLiteral("Ninguno");
    } else if (esLinea(soloLectura, nombre)) {
        Nivel = QStringLiteral("Solo Lectura");
    } else {
        Nivel = QStringLiteral("Total");
    }
    return Nivel;
}

bool ProgramaActivo(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Programa) {
    QString nombre = Programa;
    nombre.remove(QLatin1Char('&'));
    QString activos;
    if (geneusua::LeerClave(ModuloDatos, Usuario, QStringLiteral("ProgramasActivos"), activos) ==
        Lectura::Fallo)
        return false;
    return esLinea(activos, nombre);
}

bool UsuarioAccedeEmpresa(TModuloDatos* ModuloDatos, const QString& Usuario, int Empresa) {
    QString empresas;
    if (geneusua::LeerClave(ModuloDatos, Usuario, QStringLiteral("Empresas"), empresas) !=
        Lectura::Leida)
        return false;
    return LineasTexto(empresas).contains(QString::number(Empresa));
}

bool ExigirAdministrador(TModuloDatos* ModuloDatos, const QString& Usuario,
                         const QString& Opciones) {
    QString perfil, motivo;
    bool administrador = false;
    if (leerPerfil(ModuloDatos, Usuario, perfil, &motivo)) {
        const FilaUsuario fila = geneusua::LeerFila(ModuloDatos, perfil);
        motivo = fila.motivo;
        administrador = fila.estado == Lectura::Leida &&
                        fila.Valor(QStringLiteral("Categoria")) == QLatin1String("Administrador");
    }
    if (administrador || Opciones.contains(QLatin1String("Silencio"))) return administrador;
    // A category that could not be read is no proof of its absence.
    if (!motivo.isEmpty())
        MensajeAdvertencia(motivo);
    else
        MensajeAdvertencia(
            QStringLiteral("¡Es necesario ser un usuario con categoría de "
                           "Administrador para realizar este proceso!"));
    return administrador;
}

bool CampoNoVisible(TModuloDatos*, const QString& NombreCampo) {
    QStringList items;
    for (const QString& item : CamposNoVisiblesUsuario.split(QLatin1Char(','))) {
        const QString i = item.trimmed();
        if (i.isEmpty()) break;  // the list ends at its first empty item
        items << i;
    }
    for (const QString& i : items)
        if (i.startsWith(QLatin1Char('-')) &&
            i.mid(1).compare(NombreCampo, Qt::CaseInsensitive) == 0)
            return false;
    for (const QString& i : items)
        if (NombreCampo.contains(i, Qt::CaseInsensitive)) return true;
    return false;
}

bool ProcesoAutorizado(TModuloDatos* ModuloDatos, const QString& Usuario, const QString& Proceso) {
    QString prohibidos;
    if (geneusua::LeerClave(ModuloDatos, Usuario, QStringLiteral("ProcesosNoAutorizados"),
                            prohibidos) == Lectura::Fallo)
        return false;
    return Proceso.isEmpty() || !prohibidos.contains(Proceso);
}

TDerechoConsultas::TDerechoConsultas(TModuloDatos* ModuloDatos, const QString& Usuario)
    : modulo_(ModuloDatos), usuario_(Usuario) {}

bool TDerechoConsultas::Autorizada(const QString& Instrucciones) {
    const QString autorizados =
        ValorParametro(QStringLiteral("UsuariosAutorizados"), Instrucciones);
    if (autorizados.isEmpty()) return true;
    if (!leido_) {
        leido_ = true;
        administrador_ = ExigirAdministrador(modulo_, usuario_, QStringLiteral("Silencio"));
        if (!administrador_) perfilLeido_ = leerPerfil(modulo_, usuario_, perfil_);
    }
    if (administrador_) return true;
    if (!perfilLeido_) return false;
    for (const QString& item : autorizados.split(QLatin1Char(',')))
        if (item.compare(perfil_, Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool ConsultaAutorizada(TModuloDatos* ModuloDatos, const QString& Consulta,
                        const QString& Usuario) {
    QString instrucciones;
    EjecutarSQL(ModuloDatos,
                QStringLiteral("SELECT Instrucciones FROM FILTRO   WHERE NombreTabla = ") +
                    Entrecomillar(QStringLiteral("SQL")) +
                    QStringLiteral("    AND Descripcion = ") + Entrecomillar(Consulta),
                QStringLiteral("Database"), QString(), instrucciones);
    if (esError(instrucciones)) {
        // An administrator runs any query, even when FILTRO cannot be read.
        return ExigirAdministrador(ModuloDatos, Usuario, QStringLiteral("Silencio"));
    }
    return TDerechoConsultas(ModuloDatos, Usuario).Autorizada(instrucciones);
}

int IndiceBusquedaUsuario(TModuloDatos* ModuloDatos, const QString& NombreTabla) {
    if (DesactivarIndicesPorUsuarioEnBusquedas) return -1;
    QString fisico;
    NombreTablaFisico(ModuloDatos, NombreTabla, fisico);
    QString indices;
    LeerConfiguracionUsuario(ModuloDatos, CodigoUsuarioActual, QStringLiteral("IndicesBusqueda"),
                             indices);
    indices.replace(QLatin1Char(':'), QLatin1Char('='));
    indices.replace(QLatin1Char(','), kCrLf);
    int indice = -1;
    if (!TryStrToInt(ValorParametro(fisico, indices), indice)) indice = -1;
    return indice;
}

QString LeerBusqueda(TModuloDatos*, const QString& Control, QString& Tabla) {
    QString texto;
    if (!ReadTextFile(archivoBusqueda(), texto)) texto.clear();
    Tabla = ValorParametro(Control, texto);
    return Tabla;
}

void GrabarBusqueda(TModuloDatos*, const QString& Control, const QString& Tabla) {
    const QString archivo = archivoBusqueda();
    QString texto;
    TextEncoding codificacion = TextEncoding::Windows1252;
    if (!ReadTextFile(archivo, texto, &codificacion)) texto.clear();
    QStringList lineas = LineasTexto(texto);
    AsignarValorLista(Control, Tabla, lineas);
    QString motivo;
    if (!WriteWholeFile(archivo, EncodeText(textoLineas(lineas), codificacion), &motivo))
        MensajeAdvertencia(
            QStringLiteral(
                "No ha sido posible grabar los datos en la tabla de búsquedas. Motivo: ") +
            motivo);
}
