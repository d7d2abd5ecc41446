#include "gene/geneinic_empresa.h"

#include <QVariant>

#include "gene/genebusc.h"
#include "gene/geneinic_conexion.h"
#include "gene/sesion.h"

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
