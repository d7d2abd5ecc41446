// "Conforme" of the programmable-listing designer: the listing of the current
// design as a workbook or as the run-time built report, in dataset mode after
// sorting the rows through a keyed temporary table when asked.

#include <QVariant>
#include <algorithm>
#include <memory>
#include <numeric>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/listings/genecpro.h"
#include "gene/listings/genelpro.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "report/quickrep.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/grids.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool EsMemoOBlob(const TField* f) {
    return f->DataType() == ftMemo || f->DataType() == ftFmtMemo || f->IsBlob();
}

QString LineaColumna(int Numero, const TField* f) {
    return QStringLiteral("/C/") + QString::number(Numero) + QLatin1Char('/') + f->FieldName() +
           QLatin1Char('/') + NombreTipoCampo(f->DataType()) + QLatin1Char('/') +
           QString::number(HasSize(f->DataType()) ? f->Size() : 0) + QLatin1Char('/');
}

// Re-enables the grid and its dataset however the run ends.
class ControlesDesactivados {
public:
    ControlesDesactivados(TDataSet* ds, QWidget* rejilla) : ds_(ds), rejilla_(rejilla) {
        ds_->DisableControls();
        rejilla_->setEnabled(false);
    }
    ~ControlesDesactivados() {
        ds_->EnableControls();
        rejilla_->setEnabled(true);
    }

private:
    TDataSet* ds_;
    QWidget* rejilla_;
};

// The fields the sort compares: the first ten that are not memo or blob.
QList<TField*> CamposClave(TDataSet* DataSet) {
    QList<TField*> campos;
    // A hidden field never orders the rows: their order would tell its values.
    for (TField* f : DataSet->Fields())
        if (!EsMemoOBlob(f) && !CampoNoVisible(ModuloDatos, f->FieldName()) && campos.size() < 10)
            campos << f;
    return campos;
}

// A key value as the sort compares it: invalid when empty, which comes before
// every other value.
QVariant ValorClave(const TField* f) {
    if (f->IsNull()) return QVariant();
    const TFieldType t = f->DataType();
    if (IsStringType(t)) return f->AsString();
    if (IsIntegerType(t) || IsFloatType(t)) return f->AsFloat();
    if (IsDateTimeType(t)) return f->AsDateTime();
    if (t == ftBoolean) return int(f->AsBoolean());
    return f->AsString();
}

bool ClaveMenor(const QVector<QVariant>& a, const QVector<QVariant>& b) {
    for (qsizetype i = 0; i < a.size(); ++i) {
        const bool va = a[i].isValid(), vb = b[i].isValid();
        if (va != vb) return vb;
        if (!va) continue;
        const QPartialOrdering c = QVariant::compare(a[i], b[i]);
        if (c == QPartialOrdering::Less) return true;
        if (c == QPartialOrdering::Greater) return false;
    }
    return false;
}

}  // namespace

QString DefinicionTablaClasificacion(TDataSet* DataSet) {
    QString texto = QStringLiteral("Tabla Temporal") + kCrLf;
    QList<TField*> memos;
    int numero = 1;
    int ordenables = 0;
    for (TField* f : DataSet->Fields())
        if (!EsMemoOBlob(f)) ++ordenables;
    int vistos = 0;
    for (TField* f : DataSet->Fields()) {
        if (EsMemoOBlob(f)) {
            memos << f;
            continue;
        }
        ++vistos;
        const bool clave = vistos <= 10;
        texto += LineaColumna(numero++, f) + (clave ? QStringLiteral("*/") : QString()) + kCrLf;
        if (vistos == std::min(10, ordenables))
            texto += QStringLiteral("/C/") + QString::number(numero++) +
                     QStringLiteral("/ContadorAutoLP/ftInteger/0/*/") + kCrLf;
    }
    for (TField* f : memos) texto += LineaColumna(numero++, f) + kCrLf;
    // The counter alone is the key and holds each record's place in the
    // sorted order: a key of the sorted fields would refuse an empty value on
    // one engine, and an empty value is listed, empty, before every other.
    texto += QStringLiteral("/I/1/<Primary>/ContadorAutoLP") + kCrLf;
    return texto;
}

void TfGENECPRO::ClasificarListado() {
    if (Temporal->Active()) {
        try {
            Temporal->Close();
            Temporal->DeleteTable();
        } catch (const EDatabaseError&) {
        }
    }
    TDataSet* origen = DSAjustar->DataSet();
    if (!origen) return;
    Temporal->setTableName(QString());
    if (!CrearTablaEstructura(fGENEINIC, Temporal, DefinicionTablaClasificacion(origen), -1))
        throw EDatabaseError(DbError::General,
                             QStringLiteral("No ha sido posible crear la tabla de clasificación"));
    if (!Temporal->Active()) Temporal->Open();
    for (TField* f : origen->Fields())
        if (TField* d = Temporal->FindField(f->FieldName())) d->setDisplayWidth(f->DisplayWidth());
    MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Clasificación de Registros"),
                           QStringLiteral("Clasificando..."));
    struct Cierre {
        ~Cierre() { MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString()); }
    } cierre;
    // Each record's place in the order of its key fields, equal keys in
    // their source order.
    const QList<TField*> campos = CamposClave(origen);
    QVector<QVector<QVariant>> claves;
    for (origen->First(); !origen->Eof(); origen->Next()) {
        QVector<QVariant>& clave = claves.emplace_back();
        clave.reserve(campos.size());
        for (const TField* f : campos) clave << ValorClave(f);
    }
    QVector<int> orden(claves.size());
    std::iota(orden.begin(), orden.end(), 0);
    std::stable_sort(orden.begin(), orden.end(),
                     [&claves](int a, int b) { return ClaveMenor(claves[a], claves[b]); });
    QVector<int> puesto(orden.size());
    for (int i = 0; i < orden.size(); ++i) puesto[orden[i]] = i + 1;

    TField* contador = Temporal->FieldByName(QStringLiteral("ContadorAutoLP"));
    int n = 0;
    for (origen->First(); !origen->Eof() && n < puesto.size(); origen->Next()) {
        Temporal->Append();
        try {
            CopiarCampos(ModuloDatos, origen, Temporal, QString());
            contador->setAsInteger(puesto[n++]);
            Temporal->Post();
        } catch (...) {
            // Nothing left half appended for the designer's close to ask about.
            Temporal->Cancel();
            throw;
        }
    }
    Temporal->First();
}

TfGENELPRO* TfGENECPRO::crearInforme() {
    auto* informe = new TfGENELPRO(nullptr);
    informe->NumeroColumnasFicha = NumeroColumnasFicha->Value();
    informe->NumeroLineasMemoFicha = NumeroLineasMemoFicha->Value();
    informe->FormatoFicha = FormatoFicha->isChecked();
    informe->SepararPorPaginas = SepararPorPaginas->isChecked();
    informe->QuickReport->setDataSet(DSAjustar->DataSet());
    informe->QuickReport->setReportTitle(Titulo->Text());
    informe->AjustarTexto = !LimitarPalabras->isChecked();
    informe->Sumatorios = QStringLiteral("Todas");
    informe->QuickReport->Page.Orientation = cbApaisado->isChecked() ? poLandscape : poPortrait;
    informe->TamanioPapel = cbTamanio->Text();
    informe->FuenteListado = DBGrid1->font();
    // The ranges and filters were applied to this listing: the restrictions
    // block states them.
    QStringList campos, desde, hasta;
    for (int r = 1; r < StringGrid->RowCount(); ++r) {
        campos << StringGrid->Cells(0, r);
        desde << StringGrid->Cells(1, r);
        hasta << StringGrid->Cells(2, r);
    }
    informe->RestriccionesDisenador =
        TextoRestriccionesDisenador(campos, desde, hasta, MemoFiltros->Text());
    return informe;
}

void TfGENECPRO::pbConformeClick() {
    const bool modoDataSet = ModoDataSet();
    TDataSet* recordado = nullptr;
    TDataSet* desactivado = nullptr;
    const QPointer<TfGENECPRO> yo(this);
    // Step 5 runs however the run ends, so that the designer stays usable.
    auto despues = [&] {
        if (!yo || !modoDataSet) return;
        if (recordado) {
            try {
                DSAjustar->setDataSet(recordado);
            } catch (...) {
            }
        }
        if (desactivado) desactivado->EnableControls();
        DBGrid1->setEnabled(true);
        SincronizarCampos(QStringLiteral("De Lista a Rejilla"));
    };
    try {
        conforme(recordado, desactivado);
    } catch (...) {
        despues();
        throw;
    }
    despues();
}

void TfGENECPRO::conforme(TDataSet*& Recordado, TDataSet*& Desactivado) {
    if (!ModoDataSet()) {
        if (PageControl1->ActivePage() != PagAjustar && !EjecutarSentenciaListado()) return;
    } else {
        IrAPagina(PagAjustar);
        // A filter the dataset refused lists nothing.
        if (PageControl1->ActivePage() != PagAjustar) return;
        TDataSet* ds = DSAjustar->DataSet();
        if (!ds) return;
        if (cbClasificado->isChecked() && ds->RecordCount() > 1000 &&
            MensajeConfirmacion(QStringLiteral(
                "El listado actual puede ser largo (más de 1000 líneas) y ha de ser "
                "clasificado. ¿Desea continuar en cualquier caso?")) != QLatin1String("SI"))
            return;
        if (cbClasificado->isChecked()) {
            SincronizarCampos(QStringLiteral("De Rejilla a Lista"));
            ds->DisableControls();
            Desactivado = ds;
            DBGrid1->setEnabled(false);
            ClasificarListado();
            Recordado = ds;
            DSAjustar->setDataSet(Temporal);
        }
        const QStringList sel = LBSeleccionado->Items();
        for (TField* f : DSAjustar->DataSet()->Fields()) {
            f->setTag(0);
            const qsizetype i = sel.indexOf(f->FieldName());
            f->setTag(i >= 0 ? int(i) + 1 : 999);
        }
        // On a sorted run this filters the sorted copy.
        TDataSet* listado = DSAjustar->DataSet();
        const QPointer<TDataSet> original = DataSetListado;
        DataSetListado = listado;
        const bool bien = AplicarFiltroTabla();
        DataSetListado = original;
        if (!bien) return;
    }
    TDataSet* datos = DSAjustar->DataSet();
    if (pbExportarExcel->Down()) {
        ExportarExcel(ModuloDatos, datos, nullptr, QStringLiteral("LISTPRG.XLS"), QString());
    } else {
        std::unique_ptr<TfGENELPRO> informe(crearInforme());
        if (!VisualizacionPrevia->isChecked())
            ImprimirInforme(ModuloDatos, informe->QuickReport, QString());
        else
            informe->QuickReport->Preview();
    }
    AvisarFilasRestringidas();
}

void TfGENECPRO::AvisarFilasRestringidas() {
    const QString acceso = TRestriccionListado::Condicion();
    if (acceso.isEmpty() || ModoDataSet()) return;
    const QString condicion = CondicionListado();
    TQuery q;
    q.setRequestLive(false);
    // The condition holds the user's typed filters: it counts under the
    // same confinement as the listing itself, so a hidden field tells nothing.
    q.setUserStatement(true);
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.SQL().setText(QStringLiteral("SELECT COUNT(*) FROM ") + TablaSentencia() +
                    QStringLiteral(" WHERE NOT (") + acceso + QLatin1Char(')') +
                    (condicion.isEmpty()
                         ? QString()
                         : QStringLiteral(" AND (") + condicion + QLatin1Char(')')));
    if (!AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open Silencio")) || q.Eof()) return;
    const int fuera = q.Fields()[0]->AsInteger();
    if (fuera > 0) MensajeInformacion(TRestriccionListado::Aviso().arg(fuera));
}
