#include "gene/session/geneinic_empresa.h"

#include <QVariant>

#include "gene/dialogs/genebusc.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"

void ElegirEmpresa(TfGENEINIC* f) {
    QVariant clave;
    BuscarCodigo(QStringLiteral("EMPRESA"), 0, clave);
    const QVariantList valores = clave.toList();
    if (clave.isNull() || valores.isEmpty()) {
        CodigoEmpresaActual = 0;
        return;
    }
    const int codigo = valores.first().toString().trimmed().toInt();
    ConectarBaseDatosEmpresa(f, codigo);
    CodigoEmpresaActual = codigo;
}
