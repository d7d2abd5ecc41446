#pragma once
// Room gene/data: the framework data services (data module, SQL layer, keys and record services,
// users and rights, translation, usage log, report output and exports, currency, analysis groups,
// shared routines, message dialog). May include the platform and gene/session, and of the rooms above
// only the detail viewer (the import's incidences) and the progress window (report output).

// The framework data module: the users table of the general database, the
// company parameters (PARAGENE) and the session values derived from them, the
// attachment, analysis-group, access-log and currency tables, and the SQL
// result cache. Every framework data routine takes it as first argument.
//
// The main window creates it after the session form is up and re-creates it
// at every company change. Its children are its tables and queries, named as
// the system names them ("ParamGenerales", "Usuario", "Moneda"...), so that
// AbrirTablasFormulario can route and open them like those of any form.

#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;
class TDataSet;
class TDataSource;
class TQuery;
class TTable;

class TModuloDatos : public QObject {
    Q_OBJECT
public:
    // Named "ModuloDatos"; becomes the global ModuloDatos when there is none
    // (the routines it calls while it is created find it there), then runs
    // ModuloDatosCreate. Errors of opening USUARIO reach the caller.
    explicit TModuloDatos(QObject* parent = nullptr);
    // Runs ModuloDatosDestroy and clears the global when it is this one.
    ~TModuloDatos() override;

    // The creation sequence: tables opened (USUARIO created when missing and
    // given its first administrator when empty), templates, tax rates and the
    // base currency read from PARAGENE, then ModuloDatosPreparado set.
    void ModuloDatosCreate();
    void ModuloDatosDestroy();
    // After every post of the company parameters: the base currency again.
    void ParamGeneralesAfterPost(TDataSet* DataSet);

    // Components, in the system's order.
    TTable* ParamGenerales = nullptr;   // PARAGENE
    TTable* Table1 = nullptr;           // no fixed table
    TTable* Usuario = nullptr;          // USUARIO, general database
    TTable* Responsabilidad = nullptr;  // RESPDOC
    TTable* Empresa = nullptr;          // no fixed table, shown through DSEmpresa
    TDataSource* DSEmpresa = nullptr;
    TQuery* Query1 = nullptr;  // work query of the record services
    TTable* Moneda = nullptr;  // MONEDA
    TDataSource* DSMoneda = nullptr;
    TTable* GATablas = nullptr;         // GRANTAB
    TTable* GAnalisis = nullptr;        // GRANALIS
    TTable* RegistroAccesos = nullptr;  // REGACCES
    TTable* QR_Export_Table = nullptr;  // work table of the report export

    // The SQL result cache (Name=Value lines, see EjecutarSQLCache).
    QStringList CacheSQL;
    // Tax rates; entry 0 is always 0, entries 1..5 from Iva1..Iva5 and
    // Recargo1..Recargo5 of PARAGENE.
    double IVA[6] = {0, 0, 0, 0, 0, 0};
    double Recargo[6] = {0, 0, 0, 0, 0, 0};
    // PARAGENE.CodigoMonedaBase differs from CodigoMonedaNacional.
    bool MonedaBaseDistintaNacional = false;

private:
    void leerMonedaBase();
};

extern TModuloDatos* ModuloDatos;
// True from the end of the module's creation to its destruction.
extern bool ModuloDatosPreparado;

// Session values the module derives from the company parameters; they keep
// their last values while no module exists.
extern QString PlantillaNumericaStd;  // standard numeric mask, "#,###.##"; "" = none
// The five extra masks (entries 1..5; 0 unused) and, for each, the field-name
// keywords that select it, one a line.
extern QString PlantillasNumericas[6];
extern QStringList CamposPlantillasNumericas[6];
extern int DecimalesMonedaBase;  // MONEDA.Decimales of the base currency, 0 when not found
extern double CambioMonedaBase;  // MONEDA.Cambio, 1.0 when not found
extern QString AbreviaturaMonedaBase;
extern QString DescripcionMonedaBase;
// The code of the first administrator created in an empty USUARIO ("ADMIN").
extern const char* const kCodigoAdministradorInicial;

// Opens a table through AbrirTabla (routed to its database, created when
// missing) and returns it to its natural order: filter off, primary index,
// range cancelled, refreshed. False when it could not be opened or reset.
bool PrepararTabla(TModuloDatos* ModuloDatos, TTable* Tabla);

// ClaveOpcionMenu (the option key of a menu item) is added with the menu
// stand-ins of the form framework. The common dialogs of the module (print,
// printer set-up, open, save, font, colour) are added with the output and
// export routines that show them.
