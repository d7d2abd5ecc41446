// Helpers shared by the form framework's files.

#include "gene/session/geneform_p.h"

#include <QVariant>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "gene/session/genecomp.h"
#include "ui/form.h"

namespace geneform {

namespace {

void Recoger(const QObject* padre, QList<QObject*>& salida) {
    for (QObject* hijo : padre->children()) {
        if (qobject_cast<TForm*>(hijo)) continue;
        const QString nombre = hijo->objectName();
        if (!nombre.isEmpty() && !nombre.startsWith(QLatin1String("qt_"))) salida.append(hijo);
        Recoger(hijo, salida);
    }
}

TDataSource* FuenteDe(QObject* control) {
    if (!control) return nullptr;
    QVariant v;
    LeerPropiedad(control, QStringLiteral("DataSource"), v);
    return qobject_cast<TDataSource*>(v.value<QObject*>());
}

}  // namespace

QList<QObject*> Componentes(QObject* Propietario) {
    if (!Propietario) return {};
    if (auto* forma = qobject_cast<TForm*>(Propietario)) return forma->Components();
    QList<QObject*> salida;
    Recoger(Propietario, salida);
    return salida;
}

TForm* FormaDe(QObject* Objeto) {
    for (QObject* o = Objeto; o; o = o->parent())
        if (auto* f = qobject_cast<TForm*>(o)) return f;
    return nullptr;
}

bool EsClase(const QObject* Objeto, const char* Clase) {
    return Objeto && Objeto->inherits(Clase);
}

TDataSet* DataSetDeControl(QObject* Control) {
    TDataSource* fuente = FuenteDe(Control);
    return fuente ? fuente->DataSet() : nullptr;
}

TField* CampoDeControl(QObject* Control) {
    TDataSet* ds = DataSetDeControl(Control);
    if (!ds) return nullptr;
    QVariant campo;
    LeerPropiedad(Control, QStringLiteral("DataField"), campo);
    return campo.toString().isEmpty() ? nullptr : ds->FindField(campo.toString());
}

TDataSet* DataSetPrincipal(QObject* Formulario) {
    auto* fuente =
        qobject_cast<TDataSource*>(BuscarComponente(Formulario, QStringLiteral("DataSource1")));
    return fuente ? fuente->DataSet() : nullptr;
}

TDataSet* DataSetDeRejilla(QObject* Rejilla) {
    return DataSetDeControl(Rejilla);
}

}  // namespace geneform
