#pragma once
// A small report for the output, preview and restrictions tests: a page
// header with the title and the page number, a detail band per employee
// (code, name, amount), and as many pages as asked for.

#include <QObject>
#include <memory>

#include "db/clientdataset.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/export.h"
#include "report/quickrep.h"

// Codigo 1..filas, Nombre "Empleado n", Importe n * 1,5.
inline std::unique_ptr<TClientDataSet> Empleados(int filas) {
    auto ds = std::make_unique<TClientDataSet>();
    ds->setObjectName(QStringLiteral("Temporal"));
    ds->FieldDefs() = {{QStringLiteral("Codigo"), ftInteger, 0, false},
                       {QStringLiteral("Nombre"), ftString, 40, false},
                       {QStringLiteral("Importe"), ftFloat, 0, false}};
    ds->CreateDataSet();
    for (int i = 1; i <= filas; ++i) {
        ds->Append();
        ds->FieldByName(QStringLiteral("Codigo"))->setAsInteger(i);
        ds->FieldByName(QStringLiteral("Nombre"))
            ->setAsString(QStringLiteral("Empleado %1").arg(i));
        ds->FieldByName(QStringLiteral("Importe"))->setAsFloat(i * 1.5);
        ds->Post();
    }
    ds->First();
    return ds;
}

// The form that carries the report ("fRRQRLPRU"): 10 employees a page.
struct InformePrueba {
    QObject* form = new QObject;
    TQuickRep* rep = new TQuickRep(form);
    TQRBand* cabecera = new TQRBand(form, rep, rbPageHeader);
    TQRBand* detalle = new TQRBand(form, rep, rbDetail);
    TQRLabel* titulo = new TQRLabel(form, cabecera);
    int ejecuciones = 0;
    int finales = 0;

    explicit InformePrueba(TDataSet* ds) {
        form->setObjectName(QStringLiteral("fRRQRLPRU"));
        rep->setObjectName(QStringLiteral("QuickReport"));
        rep->setDataSet(ds);
        rep->setReportTitle(QStringLiteral("Listado de prueba"));
        rep->Page.Orientation = poLandscape;
        cabecera->setObjectName(QStringLiteral("PageHeader"));
        cabecera->setHeight(40);
        titulo->setObjectName(QStringLiteral("TituloListado"));
        titulo->setCaption(QStringLiteral("LISTADO DE PRUEBA"));
        titulo->SetBounds(0, 0, 300, 17);
        auto* pagina = new TQRSysData(form, cabecera);
        pagina->setData(qrsPageNumber);
        pagina->setText(QStringLiteral("Página "));
        pagina->SetBounds(600, 0, 100, 17);
        detalle->setHeight(66);  // ten to a landscape A4 page
        const char* const campos[] = {"Codigo", "Nombre", "Importe"};
        for (int i = 0; i < 3; ++i) {
            auto* t = new TQRDBText(form, detalle);
            t->setDataField(QLatin1String(campos[i]));
            t->SetBounds(i * 150, 0, 140, 17);
        }
        rep->BeforePrint = [this](QObject*, bool&) { ++ejecuciones; };
        rep->AfterPrint = [this](QObject*) { ++finales; };
    }
    ~InformePrueba() { delete form; }
    InformePrueba(const InformePrueba&) = delete;
    InformePrueba& operator=(const InformePrueba&) = delete;
};
