#include "gene/dialogs/genefilt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <memory>

#include "db/datasource.h"
#include "db/filter.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusq.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_tablas.h"
#include "ui/controls.h"
#include "ui/menus.h"

using dialogos::Modulo;

QString CondicionFiltro(const QString& Campo, const QString& Operador, const QString& Valor) {
    return QLatin1Char('(') + Campo + QLatin1Char(' ') + Operador + QLatin1Char(' ') +
           Entrecomillar(Valor) + QLatin1Char(')');
}

QString CampoNoVisibleFiltro(const QString& Filtro, TDataSet* DataSet) {
    QStringList campos;
    try {
        campos = FilterExpression::parse(Filtro).fields();
    } catch (const std::exception&) {
        return QString();
    }
    for (const QString& c : std::as_const(campos)) {
        // The dataset's filter looks a name up as written, then in capitals,
        // then in small letters: judge the field it finds.
        TField* f = nullptr;
        if (DataSet)
            for (const QString& n : {c, c.toUpper(), c.toLower()})
                if ((f = DataSet->FindField(n))) break;
        if (f && CampoNoVisible(Modulo(), f->FieldName())) return f->FieldName();
        if (CampoNoVisible(Modulo(), c)) return c;
    }
    return QString();
}

QString TextoCampoNoVisibleFiltro(const QString& Campo) {
    return QStringLiteral("¡El filtro usa el campo ") + Campo +
           QStringLiteral(", que Vd. no tiene permitido ver!");
}

TfGENEFILT::TfGENEFILT(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEFILT"));
    setCaption(QStringLiteral("Filtrar Registros de la Tabla"));
    setPosition(poScreenCenter);
    setKeyPreview(true);
    resize(560, 380);

    MainMenu1 = new TMainMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Archivo =
        new TMenuItem(MainMenu1->Items(), QStringLiteral("Archivo"), QStringLiteral("&Archivo"));
    Guardar = new TMenuItem(Archivo, QStringLiteral("Guardar"), QStringLiteral("&Guardar"));
    GuardarComo =
        new TMenuItem(Archivo, QStringLiteral("GuardarComo"), QStringLiteral("Guardar &Como..."));
    Eliminar = new TMenuItem(Archivo, QStringLiteral("Eliminar"), QStringLiteral("&Eliminar"));
    Salir = new TMenuItem(Archivo, QStringLiteral("Salir"), QStringLiteral("&Salir"));
    setMenu(MainMenu1);

    Filtro = new TTable(this);
    Filtro->setObjectName(QStringLiteral("Filtro"));
    Filtro->setTableName(QStringLiteral("FILTRO"));
    DSFiltro = new TDataSource(this);
    DSFiltro->setObjectName(QStringLiteral("DSFiltro"));
    DSFiltro->setDataSet(Filtro);

    auto* raiz = new QVBoxLayout(this);
    auto* rejilla = new QGridLayout;
    auto etiqueta = [this](const QString& nombre, const QString& texto, QWidget* control) {
        auto* l = new TLabel(this, texto);
        l->setObjectName(nombre);
        l->setFocusControl(control);
        return l;
    };
    EditDescripcionFiltro = new TComboBox(this);
    EditDescripcionFiltro->setObjectName(QStringLiteral("EditDescripcionFiltro"));
    EditDescripcionFiltro->setStyle(csDropDownList);
    ListaCampos = new TComboBox(this);
    ListaCampos->setObjectName(QStringLiteral("ListaCampos"));
    ListaCampos->setStyle(csDropDownList);
    Operador = new TComboBox(this);
    Operador->setObjectName(QStringLiteral("Operador"));
    Operador->setStyle(csDropDownList);
    Operador->setItems({QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">"),
                        QStringLiteral(">="), QStringLiteral("<="), QStringLiteral("<>")});
    Operador->setItemIndex(0);
    Valor = new TEdit(this);
    Valor->setObjectName(QStringLiteral("Valor"));
    pbAgregar = new TButton(this, QStringLiteral("&Agregar"));
    pbAgregar->setObjectName(QStringLiteral("pbAgregar"));
    pbAgregar->setHint(QStringLiteral("Agregar el filtro a la lista"));
    rejilla->addWidget(etiqueta(QStringLiteral("Label1"), QStringLiteral("Descripción del Filtro"),
                                EditDescripcionFiltro),
                       0, 0);
    rejilla->addWidget(EditDescripcionFiltro, 0, 1, 1, 3);
    rejilla->addWidget(etiqueta(QStringLiteral("Label2"), QStringLiteral("Campo"), ListaCampos), 1,
                       0);
    rejilla->addWidget(etiqueta(QStringLiteral("Label3"), QStringLiteral("Operador"), Operador), 1,
                       1);
    rejilla->addWidget(etiqueta(QStringLiteral("Label4"), QStringLiteral("Valor"), Valor), 1, 2);
    rejilla->addWidget(ListaCampos, 2, 0);
    rejilla->addWidget(Operador, 2, 1);
    rejilla->addWidget(Valor, 2, 2);
    rejilla->addWidget(pbAgregar, 2, 3);
    raiz->addLayout(rejilla);
    MemoFiltros = new TMemo(this);
    MemoFiltros->setObjectName(QStringLiteral("MemoFiltros"));
    raiz->addWidget(etiqueta(QStringLiteral("Label5"), QStringLiteral("Filtro"), MemoFiltros));
    raiz->addWidget(MemoFiltros, 1);

    auto* botones = new QHBoxLayout;
    pbAplicar = dialogos::Boton(this, QStringLiteral("pbAplicar"), QStringLiteral("&Aplicar"), mrOk,
                                QStringLiteral("Aplicar el filtro indicado"));
    pbCancelar = dialogos::Boton(this, QStringLiteral("pbCancelar"), QStringLiteral("&Cancelar"),
                                 mrCancel, QStringLiteral("No aplicar el filtro"));
    // It applies an empty filter itself (pbRestablecerClick).
    pbRestablecer =
        dialogos::Boton(this, QStringLiteral("pbRestablecer"), QStringLiteral("&Restablecer"), 0,
                        QStringLiteral("Eliminar el filtro actual y aplicar"));
    botones->addStretch(1);
    botones->addWidget(pbAplicar);
    botones->addWidget(pbCancelar);
    botones->addWidget(pbRestablecer);
    raiz->addLayout(botones);

    OnCreate = [this](QObject*) {
        if (fGENEINIC) PrepararFormulario(fGENEINIC, this);
        RestaurarGeometriaDialogo(this);
    };
    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnClose = [this](QObject*, TCloseAction&) { FormClose(); };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        // Enter never types: it moves on to the next control.
        if (Key == QLatin1Char('\r')) {
            Key = QChar();
            focusNextChild();
        }
    };
    pbAgregar->OnClick = [this](QObject*) { pbAgregarClick(); };
    pbRestablecer->OnClick = [this](QObject*) { pbRestablecerClick(); };
    EditDescripcionFiltro->OnSelect = [this](QObject*) { EditDescripcionFiltroClick(); };
    Guardar->OnClick = [this](QObject*) { GuardarClick(); };
    GuardarComo->OnClick = [this](QObject*) { GuardarComoClick(); };
    Eliminar->OnClick = [this](QObject*) { EliminarClick(); };
    Salir->OnClick = [this](QObject*) { setModalResult(mrCancel); };
}

TfGENEFILT::~TfGENEFILT() = default;

void TfGENEFILT::cargarDescripciones(const QString& actual) {
    QStringList descripciones;
    if (Filtro->Active()) {
        const TBookmark marca = Filtro->GetBookmark();
        for (Filtro->First(); !Filtro->Eof(); Filtro->Next())
            descripciones << Filtro->FieldByName(QStringLiteral("Descripcion"))->AsString();
        if (!marca.IsNull() && Filtro->BookmarkValid(marca)) Filtro->GotoBookmark(marca);
    }
    EditDescripcionFiltro->setItems(descripciones);
    EditDescripcionFiltro->setItemIndex(int(descripciones.indexOf(actual)));
}

bool TfGENEFILT::situarEn(const QString& descripcion) {
    if (!Filtro->Active() || descripcion.isEmpty()) return false;
    return Filtro->Locate(QStringLiteral("NombreTabla;Descripcion"),
                          QVariantList{TablaFiltro, descripcion}, 0);
}

bool TfGENEFILT::Preparar(TDataSet* DataSet) {
    auto* tabla = qobject_cast<TTable*>(DataSet);
    const QString nombre = tabla ? tabla->TableName() : DataSet->objectName().toUpper();
    NombreTablaSinPropietario(Modulo(), nombre, TablaFiltro);

    if (!fGENEINIC || !AbrirTabla(fGENEINIC, Filtro)) return false;
    Filtro->SetRange({TablaFiltro}, {TablaFiltro});
    Filtro->First();
    const bool hayGuardados = !Filtro->IsEmpty();
    const QString primera =
        hayGuardados ? Filtro->FieldByName(QStringLiteral("Descripcion"))->AsString() : QString();
    cargarDescripciones(primera);

    if (!DataSet->Filter().isEmpty())
        MemoFiltros->setText(DataSet->Filter());
    else
        MemoFiltros->setText(
            hayGuardados ? Filtro->FieldByName(QStringLiteral("Filtro"))->AsString() : QString());

    QStringList campos;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields()[i];
        if (f->IsBlob() || f->Calculated() || CampoNoVisible(Modulo(), f->FieldName())) continue;
        campos << f->FieldName();
    }
    ListaCampos->setItems(campos);
    ListaCampos->setItemIndex(campos.isEmpty() ? -1 : 0);
    Valor->clear();
    ListaCampos->SetFocus();

    QString titulo;
    Traducir(Modulo(), QStringLiteral("Filtrar Registros de la Tabla"), QString(), QString(),
             titulo);
    setCaption(titulo + QLatin1Char(' ') + TablaFiltro);
    return true;
}

void TfGENEFILT::Aplicar(TDataSet* DataSet, int Resultado) {
    if (Resultado != mrOk) return;
    // Typed or loaded from a saved filter, it would tell the hidden values
    // by the rows it leaves.
    const QString oculto = CampoNoVisibleFiltro(MemoFiltros->Text(), DataSet);
    if (!oculto.isEmpty()) {
        MensajeAdvertencia(TextoCampoNoVisibleFiltro(oculto));
        return;
    }
    try {
        DataSet->setFilter(MemoFiltros->Text());
        DataSet->setFiltered(true);
    } catch (const std::exception&) {
        MensajeAdvertencia(
            QStringLiteral("¡La lista de filtros es incorrecta! Inténtelo de nuevo."));
        DataSet->setFiltered(false);
    }
    DataSet->First();
}

void TfGENEFILT::pbAgregarClick() {
    if (MemoFiltros->Text() == QLatin1String("\r\n")) MemoFiltros->clear();
    if (Valor->Text().isEmpty()) return;
    QStringList lineas = MemoFiltros->Lines();
    while (!lineas.isEmpty() && lineas.last().isEmpty()) lineas.removeLast();
    if (!lineas.isEmpty()) lineas.last() += QStringLiteral(" AND");
    lineas << CondicionFiltro(ListaCampos->Text(), Operador->Text(), Valor->Text());
    MemoFiltros->setLines(lineas);
}

void TfGENEFILT::pbRestablecerClick() {
    MemoFiltros->clear();
    setModalResult(mrOk);
}

void TfGENEFILT::EditDescripcionFiltroClick() {
    if (situarEn(EditDescripcionFiltro->Text()))
        MemoFiltros->setText(Filtro->FieldByName(QStringLiteral("Filtro"))->AsString());
}

void TfGENEFILT::GuardarClick() {
    if (!situarEn(EditDescripcionFiltro->Text())) {
        GuardarComoClick();
        return;
    }
    try {
        Filtro->Edit();
        Filtro->FieldByName(QStringLiteral("Filtro"))->setAsString(MemoFiltros->Text());
        Filtro->Post();
    } catch (const std::exception&) {
        if (Filtro->State() == dsEdit) Filtro->Cancel();
        MensajeAdvertencia(QStringLiteral("¡El registro está siendo utilizado por otro usuario!"));
    }
}

void TfGENEFILT::GuardarComoClick() {
    if (!Filtro->Active()) return;
    const QString descripcion =
        MensajePeticion(QStringLiteral("Introduzca la Descripción del Filtro: "), QString());
    if (descripcion.isEmpty()) return;
    try {
        Filtro->Append();
        Filtro->FieldByName(QStringLiteral("NombreTabla"))->setAsString(TablaFiltro);
        Filtro->FieldByName(QStringLiteral("Descripcion"))->setAsString(descripcion);
        Filtro->FieldByName(QStringLiteral("Filtro"))->setAsString(MemoFiltros->Text());
        Filtro->Post();
    } catch (const std::exception&) {
        if (Filtro->State() == dsInsert) Filtro->Cancel();
        MensajeAdvertencia(QStringLiteral("¡Imposible grabar el registro!"));
        return;
    }
    const QString guardada = Filtro->FieldByName(QStringLiteral("Descripcion"))->AsString();
    cargarDescripciones(guardada);
    if (situarEn(guardada))
        MemoFiltros->setText(Filtro->FieldByName(QStringLiteral("Filtro"))->AsString());
}

void TfGENEFILT::EliminarClick() {
    // Nothing to delete unless a saved filter is chosen.
    if (!situarEn(EditDescripcionFiltro->Text())) return;
    try {
        Filtro->Delete();
    } catch (const std::exception&) {
        MensajeAdvertencia(QStringLiteral("¡El registro está siendo utilizado por otro usuario!"));
        return;
    }
    Filtro->First();
    const bool quedan = !Filtro->IsEmpty();
    cargarDescripciones(quedan ? Filtro->FieldByName(QStringLiteral("Descripcion"))->AsString()
                               : QString());
    MemoFiltros->setText(quedan ? Filtro->FieldByName(QStringLiteral("Filtro"))->AsString()
                                : QString());
}

void TfGENEFILT::FormClose() {
    GuardarGeometriaDialogo(this);
    Filtro->Close();
}

void FiltrarRegistros(TDataSet* DataSet) {
    if (!DataSet) return;
    std::unique_ptr<TfGENEFILT> dialogo(NewForm<TfGENEFILT>());
    if (!dialogo->Preparar(DataSet)) return;
    const int r = dialogo->ShowModal();
    dialogo->Aplicar(DataSet, r);
}
