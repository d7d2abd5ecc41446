#include "gene/session/genepara.h"

#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "db/datasource.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetext.h"
#include "gene/dialogs/genevreg.h"
#include "gene/data/mensajes.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfGENEPARA* fGENEPARA = nullptr;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const char* const kSiNo = "SI|NO";

// How a field is edited: a plain edit, a list of choices ("|"-separated),
// a memo, the Intrastat check box, a currency of MONEDA, the listing font.
enum TControlParametro { cpEdit, cpLista, cpMemo, cpMarca, cpMoneda, cpFuente };

struct TCampoParametro {
    const char* campo;
    TControlParametro control = cpEdit;
    const char* opciones = "";
};

struct TPaginaParametros {
    const char* caption;
    QList<TCampoParametro> campos;
};

const QList<TPaginaParametros>& Paginas() {
    static const QList<TPaginaParametros> paginas = {
        {"General",
         {{"CaracterSeparadorASCII"},
          {"CaracterSeparadorCRLF"},
          {"SolicitarCamposUsuario", cpLista, kSiNo},
          {"PlantillaNumericaStd", cpLista, "#,###.##|#,###.####|#.##|0.##|Ninguna"},
          {"ListarRestricciones", cpLista, kSiNo},
          {"ValidarEntidadSucursal", cpLista, kSiNo}}},
        {"Empresa",
         {{"RazonSocial"},
          {"Direccion"},
          {"CodigoPostal"},
          {"Poblacion"},
          {"Provincia"},
          {"Telefono"},
          {"CIF"},
          {"CodigoPlaza"},
          {"CodigoProvincia"},
          {"NombreRepresentante"},
          {"CIFRepresentante"},
          {"TituloRepresentante"},
          {"PersonaContacto"},
          {"FAX"},
          {"DatosRegistroMercantil"},
          {"DirecCorreoElectronico"}}},
        {"Tipos I.V.A.",
         {{"Iva1"},
          {"Iva2"},
          {"Iva3"},
          {"Iva4"},
          {"Iva5"},
          {"Recargo1"},
          {"Recargo2"},
          {"Recargo3"},
          {"Recargo4"},
          {"Recargo5"}}},
        {"Impresoras",
         {{"MargenIzquierdoImpresora"},
          {"TipoCombinacionTramas", cpLista, "Standard|Basica|Combinada|Blanco y Negro"},
          {"SolicitarDialogoImpresora", cpLista, kSiNo},
          {"FmtVisualizacionPrevia", cpLista, "Normal|Pagina Completa|Ancho Ajustado"},
          {"TipoLetraListados", cpFuente, "Por Defecto"},
          {"FCompresionListados"},
          {"FCompresionTLetraListados"},
          {"PrevisualizacionSinRegla", cpLista, kSiNo}}},
        {"Ventas",
         {{"DtosCascadaVenta", cpLista, kSiNo},
          {"IVARgoFinanciacionVenta", cpLista, kSiNo},
          {"IncorporarDAmpliadaVenta", cpLista, kSiNo},
          {"IncluirPortesEnDtosVenta", cpLista, kSiNo},
          {"TarifaEnMonedaOriginal", cpLista, kSiNo},
          {"CantidadUdAltVenta", cpLista, kSiNo},
          {"UdAltVentaEnPedido", cpLista, kSiNo},
          {"TipoIVAPortesVenta", cpLista, "0|1|2|3|4|5"},
          {"PrioridadDtosLineaVenta", cpLista, "Cliente|Articulo"},
          {"NumeroDtosLineaVenta", cpLista, "0|1|2|3"},
          {"TipoPortesVenta", cpLista, "Debidos|Pagados|En Factura"},
          {"PortesPagadosDesdeVenta"},
          {"TipoComision", cpLista, "Porcentaje|Importe por Cantidad|Importe Fijo"}}},
        {"Compras",
         {{"DtosCascadaCompra", cpLista, kSiNo},
          {"IVARgoFinanciacionCompra", cpLista, kSiNo},
          {"IncorporarDAmpliadaCompra", cpLista, kSiNo},
          {"CantidadUdAltCompra", cpLista, kSiNo},
          {"TipoIVAPortesCompra", cpLista, "0|1|2|3|4|5"},
          {"PrioridadDtosLineaCompra", cpLista, "Proveedor|Articulo"},
          {"NumeroDtosLineaCompra", cpLista, "0|1|2|3"}}},
        {"Internacional",
         {{"CodigoMonedaBase", cpMoneda},
          {"CodigoMonedaEuro", cpMoneda},
          {"CodigoMonedaNacional", cpMoneda},
          {"Idiomas", cpMemo}}},
        {"Intrastat",
         {{"NombreTercero"},
          {"CIFTercero"},
          {"DireccionTercero"},
          {"CodigoPostalTercero"},
          {"PoblacionTercero"},
          {"ProvinciaTercero"},
          {"NombreOfIntrastat"},
          {"CodigoOfIntrastat"},
          {"DireccionOfIntrastat"},
          {"CodigoPostalOfIntrastat"},
          {"PoblacionOfIntrastat"},
          {"ProvinciaOfIntrastat"},
          {"IntrastatActivado", cpMarca, "Intrastat Activado"}}},
        {"G.Análisis", {{"PerfilesCategoriasGA", cpMemo}}},
        {"Plantillas", {{"PlantillaNumericaExt", cpMemo}}},
        {"E-Mail", {{"CfgCorreoElectronico", cpMemo}, {"TextoEMailEnvioDocs", cpMemo}}},
        {"Certificados",
         {{"TipoUbicacionCertificado", cpLista, "Interna|Externa"},
          {"HuellaDigitalCertificado"},
          {"PosicionCertificadoFirma"}}},
    };
    return paginas;
}

const QStringList& NombresPlantillas() {
    static const QStringList nombres = {QStringLiteral("Cantidades"), QStringLiteral("Precios"),
                                        QStringLiteral("Importes"), QStringLiteral("Porcentajes"),
                                        QStringLiteral("Coeficientes")};
    return nombres;
}

QString PlantillasPorDefecto() {
    return QStringList{
        QStringLiteral("PlantillaNumerica1=#,###.## Cantidad,Peso,Volumen,Stock,PuntoPedido,"
                       "LoteMinimo,LoteOptimo,Masa,Plazo,Tiempo,Horas,Dias,Bultos,Piezas,"
                       "Disponible"),
        QStringLiteral("PlantillaNumerica2=#,###.## Precio,Tarifa"),
        QStringLiteral("PlantillaNumerica3=#,###.## Importe,Seguros,Fletes,Comision,Portes,"
                       "Riesgo,Base,Valor,Coste,Costo,Saldo,Beneficio,Presupuesto,Impuesto"),
        QStringLiteral("PlantillaNumerica4=#,###.## Porcentaje,Dto,Descuento,Rgo,Recargo"),
        QStringLiteral("PlantillaNumerica5=#,###.## Coeficiente,Factor,Redondeo,Cambio")}
        .join(kCrLf);
}

// The mail settings the editor offers: the clients have a default and a
// choice of two; every other value starts empty.
QString PlantillaCorreo() {
    const QStringList claves = {
        QStringLiteral("ServidorSMTP"),    QStringLiteral("CodigoUsuarioSMTP"),
        QStringLiteral("ClaveAccesoSMTP"), QStringLiteral("PuertoSSL"),
        QStringLiteral("CuentaFromSMTP"),  QStringLiteral("CuentaSMTPCopiasDocumentos")};
    QStringList lineas;
    for (const QString& sufijo : {QString(), QStringLiteral("(Masivo)")}) {
        lineas << QStringLiteral("ClienteSMTP") + sufijo + QLatin1Char('=') +
                      (sufijo.isEmpty() ? QStringLiteral("Por Defecto") : QStringLiteral("Indy"));
        for (const QString& clave : claves) lineas << clave + sufijo + QLatin1Char('=');
    }
    return lineas.join(kCrLf);
}

bool EnEdicion(const TDataSet* d) {
    return d && (d->State() == dsEdit || d->State() == dsInsert);
}

QString SinBlancos(QString texto) {
    return texto.remove(QLatin1Char(' '));
}

}  // namespace

void AsignarValorTexto(const QString& Nombre, const QString& Valor, QString& Texto) {
    // The text may have been written by SQL or another program: lines end in
    // CR LF, LF or CR and names come in any letter case. Only the named line
    // changes; every other byte stays as it was.
    const QString linea = Nombre + QLatin1Char('=') + Valor;
    QString finLinea;
    qsizetype inicio = 0;
    while (inicio < Texto.size()) {
        qsizetype fin = inicio;
        while (fin < Texto.size() && Texto[fin] != QLatin1Char('\r') &&
               Texto[fin] != QLatin1Char('\n'))
            ++fin;
        const QStringView l = QStringView(Texto).mid(inicio, fin - inicio);
        const qsizetype igual = l.indexOf(QLatin1Char('='));
        if (igual >= 0 && l.left(igual).compare(Nombre, Qt::CaseInsensitive) == 0) {
            Texto.replace(inicio, fin - inicio, linea);
            return;
        }
        qsizetype siguiente = fin;
        if (siguiente < Texto.size() && Texto[siguiente] == QLatin1Char('\r')) ++siguiente;
        if (siguiente < Texto.size() && Texto[siguiente] == QLatin1Char('\n')) ++siguiente;
        if (finLinea.isEmpty()) finLinea = Texto.mid(fin, siguiente - fin);
        inicio = siguiente;
    }
    // After the last line, whether or not the text ends with a line break.
    if (finLinea.isEmpty()) finLinea = kCrLf;
    if (!Texto.isEmpty() && !Texto.endsWith(QLatin1Char('\n')) &&
        !Texto.endsWith(QLatin1Char('\r')))
        Texto += finLinea;
    Texto += linea;
}

TfGENEPARA::TfGENEPARA(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEPARA"));
    setCaption(QStringLiteral("Parámetros Globales"));
    setFormStyle(fsMDIChild);
    setKeyPreview(true);
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));

    MainMenu1 = new TMainMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Plantillas1 = new TMenuItem(MainMenu1->Items(), QStringLiteral("Plantillas1"),
                                QStringLiteral("&Plantillas"));
    Plantillas1->setGroupIndex(3);
    TMenuItem** items[] = {&ConfigurarPlantillaNumrica11, &ConfigurarPlantillaNumrica21,
                           &ConfigurarPlantillaNumrica31, &ConfigurarPlantillaNumrica41,
                           &ConfigurarPlantillaNumrica51};
    for (int n = 1; n <= 5; ++n) {
        *items[n - 1] =
            new TMenuItem(Plantillas1, QStringLiteral("ConfigurarPlantillaNumrica%11").arg(n),
                          QStringLiteral("Configurar Plantilla Numérica %1 (%2)")
                              .arg(n)
                              .arg(NombresPlantillas().at(n - 1)));
        (*items[n - 1])->OnClick = [this, n](QObject*) { ConfigurarPlantilla(n); };
    }
    AsignarlasPlantillasporDefecto1 =
        new TMenuItem(Plantillas1, QStringLiteral("AsignarlasPlantillasporDefecto1"),
                      QStringLiteral("Asignar las Plantillas por Defecto"));
    AsignarlasPlantillasporDefecto1->OnClick = [this](QObject* s) {
        AsignarlasPlantillasporDefecto1Click(s);
    };
    setMenu(MainMenu1);

    auto* raiz = new QVBoxLayout(this);
    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    raiz->addWidget(PageControl1, 1);
    for (const TPaginaParametros& p : Paginas()) {
        auto* pagina = new TTabSheet(PageControl1, QString::fromUtf8(p.caption));
        auto* formulario = new QFormLayout(pagina);
        for (const TCampoParametro& c : p.campos) {
            const QString campo = QLatin1String(c.campo);
            const QString opciones = QString::fromUtf8(c.opciones);
            QWidget* control = nullptr;
            switch (c.control) {
                case cpEdit: {
                    auto* e = new TDBEdit(pagina);
                    e->setDataSource(DataSource1);
                    e->setDataField(campo);
                    control = e;
                    break;
                }
                case cpLista:
                case cpFuente: {
                    auto* combo = new TDBComboBox(pagina);
                    combo->setStyle(c.control == cpLista ? csDropDownList : csDropDown);
                    combo->setItems(opciones.split(QLatin1Char('|')));
                    combo->setDataSource(DataSource1);
                    combo->setDataField(campo);
                    control = combo;
                    break;
                }
                case cpMemo: {
                    auto* m = new TDBMemo(pagina);
                    m->setDataSource(DataSource1);
                    m->setDataField(campo);
                    control = m;
                    break;
                }
                case cpMarca: {
                    auto* marca = new TDBCheckBox(pagina, opciones);
                    marca->setValueChecked(QStringLiteral("SI"));
                    marca->setValueUnchecked(QStringLiteral("NO"));
                    marca->setDataSource(DataSource1);
                    marca->setDataField(campo);
                    control = marca;
                    break;
                }
                case cpMoneda: {
                    auto* moneda = new TDBLookupComboBox(pagina);
                    moneda->setKeyField(QStringLiteral("Codigo"));
                    moneda->setListField(QStringLiteral("Descripcion"));
                    moneda->setDataSource(DataSource1);
                    moneda->setDataField(campo);
                    control = moneda;
                    break;
                }
            }
            control->setObjectName(QStringLiteral("Edit") + campo);
            if (c.control == cpMarca || (c.control == cpMemo && p.campos.size() == 1))
                formulario->addRow(control);
            else
                formulario->addRow(new TLabel(pagina, SepararPalabras(campo)), control);
        }
    }

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    pbGrabar = new TBitBtn(this, QStringLiteral("&Grabar"));
    pbGrabar->setObjectName(QStringLiteral("pbGrabar"));
    pbCancelar = new TBitBtn(this, QStringLiteral("&Cancelar"));
    pbCancelar->setObjectName(QStringLiteral("pbCancelar"));
    pbSalir = new TBitBtn(this, QStringLiteral("&Salir"));
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    for (TBitBtn* b : {pbGrabar, pbCancelar, pbSalir}) botones->addWidget(b);
    raiz->addLayout(botones);
    resize(620, 520);

    OnCreate = [this](QObject* s) { FormCreate(s); };
    OnClose = [this](QObject* s, TCloseAction& a) { FormClose(s, a); };
    OnKeyDown = [this](QObject*, int& k, TShiftState sh) {
        TeclaPulsadaFormulario(fGENEINIC, this, k, sh);
    };
    OnKeyPress = [this](QObject*, QChar& k) { TeclaPresionadaFormulario(fGENEINIC, this, k); };
    pbGrabar->OnClick = [this](QObject* s) { pbGrabarClick(s); };
    pbCancelar->OnClick = [this](QObject* s) { pbCancelarClick(s); };
    pbSalir->OnClick = [this](QObject* s) { pbSalirClick(s); };
    if (auto* fuente = findChild<TDBComboBox*>(QStringLiteral("EditTipoLetraListados")))
        fuente->OnDblClick = [this](QObject* s) { EditTipoLetraListadosDblClick(s); };
    // Its record is the data module's: asked about when the window closes.
    setProperty("EditaModuloDatos", true);
    fGENEPARA = this;
}

TfGENEPARA::~TfGENEPARA() {
    if (fGENEPARA == this) fGENEPARA = nullptr;
}

TTabSheet* TfGENEPARA::Pagina(const QString& Caption) const {
    for (int i = 0; i < PageControl1->PageCount(); ++i)
        if (PageControl1->Pages(i)->Caption() == Caption) return PageControl1->Pages(i);
    return nullptr;
}

TDataSet* TfGENEPARA::Parametros() const {
    return DataSource1->DataSet();
}

void TfGENEPARA::FormCreate(QObject*) {
    for (int i = 0; i < PageControl1->PageCount(); ++i) PageControl1->Pages(i)->setTabVisible(true);
    if (ModuloDatos) {
        DataSource1->setDataSet(ModuloDatos->ParamGenerales);
        for (auto* moneda : findChildren<TDBLookupComboBox*>())
            moneda->setListSource(ModuloDatos->DSMoneda);
    }
    AbrirTablasFormulario(fGENEINIC, this);
    ParametrosEmpresaPresentes(Parametros());
    setActiveControl(pbGrabar);
    PageControl1->setActivePage(Pagina(QStringLiteral("General")));
}

void TfGENEPARA::FormClose(QObject*, TCloseAction& Action) {
    // Changes not saved with "Grabar" do not stay pending in the session's
    // parameters once the window is gone.
    if (EnEdicion(Parametros())) Parametros()->Cancel();
    if (Parametros() && Parametros()->Active())
        RefrescarDataSet(ModuloDatos, Parametros(), QString());
    Action = caFree;
}

void TfGENEPARA::PonerEnEdicion() {
    TDataSet* p = Parametros();
    if (p && p->Active() && !EnEdicion(p)) p->Edit();
}

bool TfGENEPARA::MonedasDistintas() {
    TDataSet* p = Parametros();
    if (!p || !p->Active()) return true;
    const int nacional = p->FieldByName(QStringLiteral("CodigoMonedaNacional"))->AsInteger();
    const int euro = p->FieldByName(QStringLiteral("CodigoMonedaEuro"))->AsInteger();
    // Unset codes (0) are no currency yet.
    return nacional == 0 || euro == 0 || nacional != euro;
}

void TfGENEPARA::pbGrabarClick(QObject*) {
    if (!MonedasDistintas()) {
        MensajeAdvertencia(
            QStringLiteral("¡La Moneda Nacional y la Moneda Euro no pueden ser la misma!"));
        return;
    }
    TDataSet* p = Parametros();
    if (EnEdicion(p)) p->Post();
    const QString plantilla =
        p && p->Active() ? p->FieldByName(QStringLiteral("PlantillaNumericaStd"))->AsString()
                         : QString();
    // "Ninguna" is no template, as the data module reads it at start.
    PlantillaNumericaStd = plantilla.isEmpty()                     ? QStringLiteral("#,###.##")
                           : plantilla == QLatin1String("Ninguna") ? QString()
                                                                   : plantilla;
    Close();
}

void TfGENEPARA::pbCancelarClick(QObject*) {
    if (EnEdicion(Parametros())) Parametros()->Cancel();
    Close();
}

void TfGENEPARA::pbSalirClick(QObject*) {
    // "Salir" leaves without saving, as it always has: only a close from
    // elsewhere (exit, a company change) asks about the unsaved change.
    if (EnEdicion(Parametros())) Parametros()->Cancel();
    Close();
}

void TfGENEPARA::BuscarDatosDBEdit(QObject*) {
    PonerEnEdicion();
    if (ActiveControl() == findChild<QWidget*>(QStringLiteral("EditCfgCorreoElectronico")))
        ConfigurarCorreo();
}

void TfGENEPARA::ConfigurarCorreo() {
    TDataSet* p = Parametros();
    if (!p || !p->Active()) return;
    PonerEnEdicion();
    TField* campo = p->FieldByName(QStringLiteral("CfgCorreoElectronico"));
    QString resultado;
    if (!EditorRegistroINI(ModuloDatos, PlantillaCorreo(), campo->AsString(), QString(),
                           QStringLiteral("Campo;Valor"),
                           QStringLiteral("ClienteSMTP=Por Defecto,Indy\r\n"
                                          "ClienteSMTP(Masivo)=Por Defecto,Indy"),
                           QStringLiteral("Formato=0,0,450,0\r\nInstrucciones"), resultado))
        return;
    campo->setAsString(resultado);
}

void TfGENEPARA::EditTipoLetraListadosDblClick(QObject*) {
    TDataSet* p = Parametros();
    if (!p || !p->Active()) return;
    PonerEnEdicion();
    TField* campo = p->FieldByName(QStringLiteral("TipoLetraListados"));
    bool aceptada = false;
    const QFont fuente = QFontDialog::getFont(&aceptada, MakeFont(campo->AsString(), 0), this);
    if (aceptada) campo->setAsString(fuente.family());
}

void TfGENEPARA::ConfigurarPlantilla(int n) {
    TDataSet* p = Parametros();
    if (!p || !p->Active()) return;
    const QString nombre = QStringLiteral("PlantillaNumerica") + QString::number(n);
    TField* campo = p->FieldByName(QStringLiteral("PlantillaNumericaExt"));
    const QString actual = ValorParametro(nombre, campo->AsString());
    QString formato = actual.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    QString campos = actual.section(QLatin1Char(' '), 1, 1, QString::SectionSkipEmpty);
    MensajePeticion(
        QStringLiteral("Introduzca el formato de la plantilla número ") + QString::number(n),
        formato);
    if (PeticionCancelada()) return;
    MensajePeticion(QStringLiteral("Introduzca los nombres de los campos para la plantilla "
                                   "número ") +
                        QString::number(n) + QStringLiteral(" separados por comas"),
                    campos);
    if (PeticionCancelada()) return;
    PonerEnEdicion();
    QString texto = campo->AsString();
    AsignarValorTexto(nombre, SinBlancos(formato) + QLatin1Char(' ') + SinBlancos(campos), texto);
    campo->setAsString(texto);
}

void TfGENEPARA::AsignarlasPlantillasporDefecto1Click(QObject*) {
    PonerEnEdicion();
    AsignarValoresPorDefecto(QStringLiteral("PlantillasExt"));
}

void TfGENEPARA::AsignarValoresPorDefecto(const QString& Opciones) {
    ValoresPorDefectoParametros(Parametros(), Opciones);
}

void ValoresPorDefectoParametros(TDataSet* p, const QString& Opciones) {
    if (!p || !EnEdicion(p)) return;
    auto poner = [p](const char* campo, const QString& valor) {
        p->FieldByName(QLatin1String(campo))->setAsString(valor);
    };
    if (Opciones.contains(QLatin1String("PlantillasExt"))) {
        poner("PlantillaNumericaExt", PlantillasPorDefecto());
        return;
    }
    p->FieldByName(QStringLiteral("IdRegistro"))->setAsInteger(0);
    p->FieldByName(QStringLiteral("MargenIzquierdoImpresora"))->Clear();
    const std::pair<const char*, const char*> valores[] = {
        {"TipoCombinacionTramas", "Standard"},
        {"CaracterSeparadorASCII", "@"},
        {"SolicitarDialogoImpresora", "SI"},
        {"FmtVisualizacionPrevia", "Normal"},
        {"DtosCascadaVenta", "SI"},
        {"IncluirPortesEnDtosVenta", "NO"},
        {"TipoIVAPortesVenta", "1"},
        {"NumeroDtosLineaVenta", "1"},
        {"IVARgoFinanciacionVenta", "NO"},
        {"IncorporarDAmpliadaVenta", "SI"},
        {"TipoPortesVenta", "Debidos"},
        {"PortesPagadosDesdeVenta", "0"},
        {"CantidadUdAltVenta", "NO"},
        {"DtosCascadaCompra", "SI"},
        {"TipoIVAPortesCompra", "1"},
        {"NumeroDtosLineaCompra", "1"},
        {"IVARgoFinanciacionCompra", "NO"},
        {"IncorporarDAmpliadaCompra", "SI"},
        {"CantidadUdAltCompra", "NO"},
        {"UdAltVentaEnPedido", "NO"},
        {"TipoLetraListados", "Por Defecto"},
        {"FCompresionListados", "1"},
        {"FCompresionTLetraListados", "1"},
    };
    for (const auto& [campo, valor] : valores) poner(campo, QString::fromUtf8(valor));
    poner("PlantillaNumericaStd", PlantillaNumericaStd);
    poner("Idiomas", QStringList{QStringLiteral("Castellano"), QStringLiteral("Frances"),
                                 QStringLiteral("Ingles"), QStringLiteral("Italiano"),
                                 QStringLiteral("Portugues"), QStringLiteral("Aleman"),
                                 QStringLiteral("Catalan"), QStringLiteral("Euskera"),
                                 QStringLiteral("Gallego")}
                         .join(kCrLf));
    poner("IntrastatActivado", QStringLiteral("NO"));
    poner("PerfilesCategoriasGA", QStringList{QStringLiteral("Articulo=Familia"),
                                              QStringLiteral("Cliente=Zona,Sector,Segmento"),
                                              QStringLiteral("Proveedor=Zona,Sector,Segmento"),
                                              QStringLiteral("Cuenta=Zona,Sector,Segmento"),
                                              QStringLiteral("Proceso=Planificacion")}
                                      .join(kCrLf));
    poner("TextoEMailEnvioDocs",
          QStringList{QStringLiteral("Adjunto le remitimos Nuestro Documento de $TipoDocumento$ "
                                     "N.$NumeroDocumento$"),
                      QString(), QStringLiteral("$FirmaEmpresa$"), QString(),
                      QStringLiteral("$InformacionVerificacionFirma$"), QString(),
                      QStringLiteral("$PublicidadQEV$")}
              .join(kCrLf));
    poner("PlantillaNumericaExt", PlantillasPorDefecto());
}

void RegistrarTfGENEPARA() {
    if (!FormClassRegistered(QStringLiteral("TfGENEPARA")))
        RegisterFormClass<TfGENEPARA>(QStringLiteral("TfGENEPARA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENEPARA();
    return true;
}();
}  // namespace

bool ParametrosEmpresaPresentes(TDataSet* Parametros) {
    TDataSet* p = Parametros;
    if (!p || !p->Active()) return false;
    // Another session may have created the record since it was read.
    RefrescarDataSet(ModuloDatos, p, QString());
    if (!p->IsEmpty()) return true;
    if (EnEdicion(p)) return false;  // being typed here: not stored yet
    try {
        p->Append();
        ValoresPorDefectoParametros(p, QString());
        p->Post();
    } catch (const std::exception&) {
        // Created meanwhile by another session: its stored values are the
        // ones every reader of this session must see, not these defaults.
        if (EnEdicion(p)) p->Cancel();
        RefrescarDataSet(ModuloDatos, p, QString());
        if (p->IsEmpty()) throw;
    }
    return true;
}
