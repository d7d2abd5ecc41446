// The log-in of the user at start-up.

#include "db/dberror.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/geneusua_p.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"

using geneusua::FilaUsuario;
using geneusua::Lectura;

namespace {

// Failed passwords in a row after which the user is locked out.
constexpr int kIntentosClave = 3;

// A Linux account without a row gets one as a normal user.
void darDeAlta(TModuloDatos* m, const QString& codigo) {
    TTable* t = m ? m->Usuario : nullptr;
    if (!t) return;
    try {
        if (!t->Active()) t->Open();
        t->Append();
        t->FieldByName(QStringLiteral("Codigo"))->setAsString(codigo);
        t->FieldByName(QStringLiteral("Nombre"))->setAsString(codigo);
        t->FieldByName(QStringLiteral("Categoria"))->setAsString(QStringLiteral("Normal"));
        t->Post();
    } catch (const std::exception&) {
        if (t->Active()) t->Cancel();
        MensajeAdvertencia(QStringLiteral("¡Imposible dar de alta el usuario!"));
    }
}

}  // namespace

bool IdentificarUsuario(TModuloDatos* ModuloDatos, QString& CodigoUsuario) {
    QString codigo;
    if (AutenticacionWindows || CodigoUsuarioInicial.isEmpty())
        NombreUsuarioWindows(codigo);
    else
        codigo = CodigoUsuarioInicial;

    if (!AutenticacionWindows) {
        codigo = MensajePeticion(QStringLiteral("Introduzca el Código de Usuario:"), codigo);
        if (codigo.isEmpty()) return false;
    } else if (geneusua::LeerFila(ModuloDatos, codigo).estado == Lectura::SinFila) {
        darDeAlta(ModuloDatos, codigo);
    }

    // A row that cannot be read logs nobody in.
    const FilaUsuario fila = geneusua::LeerFila(ModuloDatos, codigo);
    if (fila.estado != Lectura::Leida) {
        MensajeAdvertencia(QStringLiteral("¡El usuario no está definido!"));
        return false;
    }
    codigo = fila.Valor(QStringLiteral("Codigo"));
    LeerConfiguracionUsuario(ModuloDatos, codigo, QStringLiteral("CamposNoVisibles"),
                             CamposNoVisiblesUsuario);

    // The counter lives in the user's own row, just read.
    QString contador = ValorParametro(QStringLiteral("ContadorAccesos"),
                                      fila.Valor(QStringLiteral("Configuracion")));
    int fallos = 0;
    if (!TryStrToInt(contador.isEmpty() ? QStringLiteral("0") : contador, fallos)) fallos = 0;
    if (fallos >= kIntentosClave) {
        MensajeAdvertencia(
            QStringLiteral("¡Su derecho de acceso ha sido revocado!. Contacte con el "
                           "administrador del sistema."));
        return false;
    }

    ClaveAccesoUsuarioActual.clear();
    const QString clave = fila.Valor(QStringLiteral("ClaveAcceso"));
    if (!clave.isEmpty()) {
        if (AutenticacionWindows) {
            ClaveAccesoUsuarioActual = clave;
        } else {
            // The preset "Password" makes the prompt hide the typing.
            const QString tecleada = MensajePeticion(
                QStringLiteral("Introduzca la Clave de Acceso:"), QStringLiteral("Password"));
            if (tecleada != clave) {
                MensajeAdvertencia(QStringLiteral("¡La Clave de Acceso es incorrecta!"));
                GrabarConfiguracionUsuario(ModuloDatos, codigo, QStringLiteral("ContadorAccesos"),
                                           QString::number(fallos + 1));
                return false;
            }
            ClaveAccesoUsuarioActual = tecleada;
            if (fallos != 0)
                GrabarConfiguracionUsuario(ModuloDatos, codigo, QStringLiteral("ContadorAccesos"),
                                           QStringLiteral("0"));
        }
    }

    CodigoUsuarioActual = codigo;
    CodigoUsuario = codigo;
    return true;
}
