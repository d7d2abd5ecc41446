// Grid columns: defined from a text, fitted to the grid, hidden; the data
// under controls emptied; the list values a grid or a combo offers.

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

#include "db/dberror.h"
#include "db/field.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneform_p.h"
#include "gene/session/generejilla.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"

namespace {

TDBGrid* Rejilla(QObject* o) {
    return qobject_cast<TDBGrid*>(o);
}

// The column a grid shows a field in (the first one), or nullptr.
TColumn* ColumnaDeCampo(TDBGrid* rejilla, const QString& campo) {
    for (int i = 0; i < rejilla->Columns().Count(); ++i)
        if (rejilla->Columns()[i]->FieldName() == campo) return rejilla->Columns()[i];
    return nullptr;
}

bool ListaValores(QObject* Control, TField* Campo, TListaValoresControl& Datos) {
    if (TDBGrid* rejilla = Rejilla(Control)) {
        TColumn* columna = ColumnaDeCampo(rejilla, Campo->FieldName());
        if (!columna) return false;
        Datos.clase = TListaValoresControl::Rejilla;
        Datos.texto = Campo->Text();
        Datos.elementos = columna->PickList();
        Datos.tituloColumna = columna->Title()->Caption();
        return true;
    }
    if (auto* combo = qobject_cast<TDBComboBox*>(Control)) {
        if (combo->DataField().compare(Campo->FieldName(), Qt::CaseInsensitive) != 0) return false;
        Datos.clase = TListaValoresControl::Combo;
        Datos.texto = Campo->Text();
        Datos.elementos = combo->Items();
        return true;
    }
    return false;
}

// The field named by a data control's DataField in its data source's
// dataset; raises the dataset's field-not-found error.
TField* CampoDe(QObject* control) {
    TDataSet* ds = geneform::DataSetDeControl(control);
    if (!ds) return nullptr;
    return ds->FieldByName(control->property("DataField").toString());
}

}  // namespace

namespace geneform {

void InstalarListaValoresControl() {
    GanchoListaValoresControl = ListaValores;
}

TField* CampoSeleccionadoRejilla(QObject* Rejilla) {
    TDBGrid* r = ::Rejilla(Rejilla);
    return r ? r->SelectedField() : nullptr;
}

QStringList CamposColumnasRejilla(QObject* Rejilla) {
    QStringList campos;
    if (TDBGrid* r = ::Rejilla(Rejilla))
        for (int i = 0; i < r->Columns().Count(); ++i) campos << r->Columns()[i]->FieldName();
    return campos;
}

TField* CampoColumnaRejilla(QObject* Rejilla, int Columna) {
    TDBGrid* r = ::Rejilla(Rejilla);
    if (!r || Columna < 0 || Columna >= r->Columns().Count()) return nullptr;
    return r->Columns()[Columna]->Field();
}

void ColumnasPorDefectoRejilla(QObject* Rejilla) {
    TDBGrid* r = ::Rejilla(Rejilla);
    if (!r) return;
    r->Columns().RestoreDefaults();
    // The defaults are the dataset's fields: those hidden from the user stay hidden.
    for (int i = 0; i < r->Columns().Count(); ++i)
        if (CampoNoVisible(nullptr, r->Columns()[i]->FieldName()))
            r->Columns()[i]->setVisible(false);
}

void AlternarSeleccionMultiple(QObject* Rejilla) {
    if (TDBGrid* r = ::Rejilla(Rejilla)) r->setOptions(r->Options() ^ dgMultiSelect);
}

void TraducirTitulosRejilla(QObject* Rejilla,
                            const std::function<QString(const QString&)>& Traduccion) {
    TDBGrid* r = ::Rejilla(Rejilla);
    if (!r) return;
    for (int i = 0; i < r->Columns().Count(); ++i) {
        TColumnTitle* titulo = r->Columns()[i]->Title();
        titulo->setCaption(Traduccion(titulo->Caption()));
    }
}

}  // namespace geneform

void AjustarColumnasRejilla(TModuloDatos*, TDBGrid* Rejilla, const QString& Opciones) {
    if (!Rejilla) return;
    TDBGridColumns& columnas = Rejilla->Columns();
    if (columnas.Count() == 0) return;
    const int ancho = Rejilla->Width() - ((Rejilla->Options() & dgIndicator) ? 32 : 20);
    int inicial = 0;
    const int p = Opciones.indexOf(QLatin1String("ColumnaInicial:"));
    if (p >= 0) {
        bool ok = false;
        inicial = Opciones.mid(p + 15).section(QLatin1Char(','), 0, 0).trimmed().toInt(&ok);
        if (!ok) inicial = 0;
    }
    int total = 0;
    int previo = 0;
    int ultima = 0;
    for (int i = 0; i < columnas.Count(); ++i) {
        TColumn* c = columnas[i];
        if (!c->Visible()) continue;
        ultima = i;
        if (i < inicial) {
            total += c->Width();
            previo += c->Width();
        } else {
            if (!c->Field()) return;
            total += AnchoCampo(c->Field());
        }
    }
    // Nothing to share the width by: the grid stays as it is.
    if (total <= 0) return;
    int acumulado = previo;
    for (int i = inicial; i < columnas.Count(); ++i) {
        TColumn* c = columnas[i];
        if (!c->Visible()) continue;
        const int w =
            int(std::nearbyint(double(AnchoCampo(c->Field())) * double(ancho) / double(total)));
        c->setPixelWidth(w);
        acumulado += w + 1;
    }
    TColumn* ultimaColumna = columnas[ultima];
    int w = ultimaColumna->Width();
    if (acumulado != ancho) w += ancho - acumulado;
    ultimaColumna->setPixelWidth(w - 1);
}

void AjustarRejilla(TModuloDatos* ModuloDatos, TDBGrid* Rejilla) {
    AjustarColumnasRejilla(ModuloDatos, Rejilla, QString());
}

void DefinirColumnasRejilla(TModuloDatos* ModuloDatos, const QString& Definicion,
                            TDBGrid* Rejilla) {
    if (!Rejilla) return;
    for (const QString& linea : Definicion.split(QRegularExpression(QStringLiteral("\r\n|\n")))) {
        if (linea.isEmpty()) continue;
        const QStringList partes = linea.split(QLatin1Char(','));
        bool ok = false;
        const int ancho = partes.value(2).trimmed().toInt(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'") + partes.value(2) +
                                QStringLiteral("' is not a valid integer value"));
        TColumn* columna = Rejilla->Columns().Add();
        QString titulo;
        Traducir(ModuloDatos, partes.value(0), QString(), QString(), titulo);
        columna->Title()->setCaption(titulo);
        columna->setFieldName(partes.value(1));
        columna->setWidth(ancho);
    }
    for (int i = 0; i < Rejilla->Columns().Count(); ++i) {
        TColumn* c = Rejilla->Columns()[i];
        if (CampoNoVisible(ModuloDatos, c->FieldName())) c->setVisible(false);
    }
}

int AnchoRejilla(TModuloDatos*, TDBGrid* Rejilla) {
    if (!Rejilla) return 0;
    int ancho = (Rejilla->Options() & dgIndicator) ? 12 : 0;
    for (int i = 0; i < Rejilla->Columns().Count(); ++i)
        if (Rejilla->Columns()[i]->Visible()) ancho += Rejilla->Columns()[i]->Width() + 1;
    return ancho;
}

void OcultarColumnaRejilla(const QString& NombreCampo, TDBGrid* Rejilla) {
    if (!Rejilla) return;
    for (int i = 0; i < Rejilla->Columns().Count(); ++i)
        if (Rejilla->Columns()[i]->FieldName() == NombreCampo) {
            Rejilla->Columns()[i]->setVisible(false);
            return;
        }
}

void BorrarCampoControl(TModuloDatos* ModuloDatos, QObject* Control) {
    if (!Control) return;
    if (qobject_cast<TDBCheckBox*>(Control) || qobject_cast<TDBComboBox*>(Control) ||
        qobject_cast<TDBImage*>(Control)) {
        BorrarCampo(ModuloDatos, CampoDe(Control));
    } else if (auto* combo = qobject_cast<TDBLookupComboBox*>(Control)) {
        BorrarCampoLookup(ModuloDatos, combo);
    } else if (auto* imagen = qobject_cast<TImage*>(Control)) {
        imagen->Clear();
    } else if (TDBGrid* rejilla = Rejilla(Control)) {
        try {
            TField* campo = rejilla->SelectedField();
            if (!campo || !campo->Lookup()) return;
            BorrarCampo(ModuloDatos, campo->DataSet()->FieldByName(campo->KeyFields()));
        } catch (...) {
            // Emptying a grid's lookup never fails the key that asked for it.
        }
    }
}

void BorrarCampoLookup(TModuloDatos*, TDBLookupComboBox* Combo) {
    if (!Combo) return;
    TDataSet* ds = geneform::DataSetDeControl(Combo);
    if (ds && ds->State() == dsBrowse) ds->Edit();
    Combo->setKeyValue(0);
    if (!ds) return;
    TField* campo = ds->FieldByName(Combo->DataField());
    if (campo->DataType() == ftSmallint || campo->DataType() == ftInteger)
        campo->setAsString(QStringLiteral("0"));
    else
        campo->setAsString(QString());
}
