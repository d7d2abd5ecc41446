#include "gene/session/genemaes_rejilla.h"

#include <QVBoxLayout>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/mensajes.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"

namespace {

QString Texto(const char* texto) {
    return QString::fromUtf8(texto);
}

}  // namespace

TMaestroRejilla::TMaestroRejilla(QWidget* owner, const QString& Nombre, const QString& Titulo,
                                 const QString& NombreTabla)
    : TFormularioMaestro(owner, Nombre, Titulo, NombreTabla) {
    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DataSource1);
    QFont titulos = DBGrid1->TitleFont();
    titulos.setBold(true);
    DBGrid1->setTitleFont(titulos);
    AreaDatos->addWidget(DBGrid1, 1);

    DBGrid1->OnColExit = [this](QObject* s) { DBGrid1ColExit(s); };
    DBGrid1->OnKeyDown = [this](QObject* s, int& k, TShiftState sh) { DBGrid1KeyDown(s, k, sh); };
    DBGrid1->OnKeyPress = [this](QObject* s, QChar& k) { DBGrid1KeyPress(s, k); };
    DBGrid1->OnDblClick = [this](QObject* s) { DBGrid1DblClick(s); };
    Table1->BeforeEdit = [this](TDataSet* d) { Table1BeforeEdit(d); };
    // A blank new row would otherwise be stored with an empty key (SQLite
    // takes a NULL in a key), whatever the member's checks say.
    Table1->BeforePost = [this](TDataSet* d) {
        if (ClaveNuevaAdmitida()) Table1BeforePost(d);
    };
}

void TMaestroRejilla::UsarMarcoNomina() {
    ModoRefresco = QStringLiteral("Apertura/Cierre");
    RefrescoSoloNavegando = true;
    TextoErrorModificacion = Texto(textosmaestro::kImposibleModificar);
    MantenerAltaFallida = false;
}

TColumn* TMaestroRejilla::AgregarColumna(const QString& Campo, const QString& Titulo, int Ancho) {
    TColumn* c = DBGrid1->Columns().Add();
    c->setFieldName(Campo);
    c->Title()->setCaption(Titulo);
    if (Ancho > 0) c->setWidth(Ancho);
    return c;
}

void TMaestroRejilla::FormCreate(QObject* Sender) {
    TFormularioMaestro::FormCreate(Sender);
    CampoClave = Table1->Active() ? Table1->FindField(NombreCampoClave) : nullptr;
    if (CampoClave) {
        // Watched through the data source: a field has no change event here.
        auto anterior = DataSource1->OnDataChange;
        DataSource1->OnDataChange = [this, anterior](TDataSource* s, TField* f) {
            if (anterior) anterior(s, f);
            if (f && f == CampoClave) CampoClaveChange(f);
        };
    }
}

void TMaestroRejilla::CampoClaveChange(TField*) {}

void TMaestroRejilla::DataSource1StateChange(QObject* Sender) {
    TFormularioMaestro::DataSource1StateChange(Sender);
    if (Table1->State() == dsInsert) EnfocarPrimeraColumna();
}

void TMaestroRejilla::EnfocarPrimeraColumna() {
    if (DBGrid1->isVisible()) DBGrid1->setFocus();
    DBGrid1->setSelectedIndex(0);
}

void TMaestroRejilla::IniciarAlta() {
    EnfocarPrimeraColumna();
    Table1->Append();
}

void TMaestroRejilla::Table1AfterPost(TDataSet* DataSet) {
    EnfocarPrimeraColumna();
    TFormularioMaestro::Table1AfterPost(DataSet);
}

bool TMaestroRejilla::ValidarColumna() {
    return true;
}

bool TMaestroRejilla::ValidarListasRejilla() {
    const TDataSetState estado = Table1->State();
    if (estado != dsEdit && estado != dsInsert) return true;
    if (!CampoClave || CampoClave->Text().isEmpty()) return true;
    if (ActiveControl() == pbCancelar) return true;
    TColumn* columna = DBGrid1->Columns().Items(DBGrid1->SelectedIndex());
    if (!columna || columna->PickList().isEmpty() || !columna->Field()) return true;
    return ValidarValorLista(ModuloDatos, DBGrid1, columna->Field());
}

QString TMaestroRejilla::ClaveNueva(const QString& TextoClave) {
    return TextoClave;
}

void TMaestroRejilla::DBGrid1ColExit(QObject*) {
    if (!CampoClave) return;
    const QString texto = CampoClave->Text().trimmed();
    // 1. No key: the pending row goes and the column stays. A new row
    // nobody typed into is crossed column by column with Enter and Tab as
    // it is (leaving it for another line drops it): dropped here, the keys
    // typed next would go into the row above it.
    if (texto.isEmpty()) {
        if (Table1->State() == dsInsert && !Table1->Modified()) return;
        Table1->Cancel();
        Abort();
    }
    // 2. Numeric keys within their range.
    if (ClaveFueraDeRango(texto)) Abort();
    if (SeparadorEnClaveCompuesta(ModuloDatos, Table1, CampoClave, texto)) Abort();
    // 3. The member's own checks.
    if (!ValidarColumna()) Abort();
    // 4. A key typed into a new row must not exist.
    if (DBGrid1->SelectedIndex() != 0 || Table1->State() != dsInsert) return;
    if (!ExisteClave(ModuloDatos, Table1, CadenaClave(ClaveNueva(texto)))) return;
    MensajeAdvertencia(Texto(textosmaestro::kYaExisteRegistro));
    if (ClaveExistente == ceIrAlRegistro) {
        // The new row gives way to the record that has the key.
        Table1->Cancel();
        QVariant valor = texto;
        if (IsIntegerType(CampoClave->DataType())) valor = texto.toInt();
        Table1->FindKey({valor});
    }
    Abort();
}

bool TMaestroRejilla::ClaveFueraDeRango(const QString& Texto) {
    const TFieldType tipo = CampoClave->DataType();
    if (tipo != ftSmallint && tipo != ftInteger) return false;
    const bool corto = tipo == ftSmallint;
    bool ok = false;
    const qlonglong valor = Texto.toLongLong(&ok);
    if (ok && valor >= 1 && valor <= (corto ? 9999 : 99999999)) return false;
    MensajeAdvertencia(::Texto(corto ? textosmaestro::kRango9999 : textosmaestro::kRango99999999));
    return true;
}

bool TMaestroRejilla::ClaveNuevaAdmitida() {
    if (!CampoClave || Table1->State() != dsInsert) return true;
    const QString texto = CampoClave->Text().trimmed();
    if (texto.isEmpty()) {
        Table1->Cancel();
        return false;
    }
    if (ClaveFueraDeRango(texto)) Abort();
    return true;
}

void TMaestroRejilla::Table1BeforeEdit(TDataSet*) {
    if (DBGrid1->SelectedIndex() != 0) return;
    MensajeAdvertencia(QStringLiteral("¡ No se puede modificar la clave del registro !"));
    Abort();
}

void TMaestroRejilla::DBGrid1KeyPress(QObject*, QChar& Key) {
    if (DBGrid1->SelectedIndex() != 0 || Table1->State() != dsEdit) return;
    Key = QChar();
    MensajeAdvertencia(QStringLiteral("¡ No se puede modificar la clave del registro !"));
    Abort();
}

void TMaestroRejilla::DBGrid1KeyDown(QObject*, int& Key, int Shift) {
    TeclaEliminarLinea(DataSource1->DataSet(), Key, Shift);
}

void TMaestroRejilla::DBGrid1DblClick(QObject*) {}
