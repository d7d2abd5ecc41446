// Electronic documentation of a record.

#include "gene/dialogs/genedoce.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genemlis.h"
#include "gene/dialogs/geneopen.h"
#include "gene/dialogs/genevtex.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_correo.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/geneinic_servicios.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "io/textfile.h"
#include "ui/controls.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfGENEDOCE* fGENEDOCE = nullptr;

namespace {

bool abrirConEscritorio(const QString& Ubicacion) {
    const QString ruta = NativePath(Ubicacion);
    const QUrl url =
        QFileInfo::exists(ruta) ? QUrl::fromLocalFile(ruta) : QUrl::fromUserInput(Ubicacion);
    return QDesktopServices::openUrl(url);
}

bool esDireccionWeb(const QString& u) {
    return u.contains(QLatin1String("://")) ||
           u.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

// A statement of ours on the company database with its values bound.
std::unique_ptr<TQuery> sentencia(const QString& Sql, const QVariantList& Valores) {
    auto q = std::make_unique<TQuery>();
    q->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q->setRequestLive(false);
    q->SQL().setText(Sql);
    for (int i = 0; i < Valores.size() && i < q->ParamCount(); ++i)
        q->Params()[i]->setValue(Valores[i]);
    return q;
}

bool abrir(TQuery* q) {
    return AbrirConsulta(ModuloDatos, q, QStringLiteral("Open Silencio"));
}

const QString kCondicion =
    QStringLiteral(" FROM DOCUTRON WHERE NombreTabla = :NombreTabla AND ClaveTabla = :ClaveTabla");

TSpeedButton* boton(QWidget* padre, const char* nombre, const char* texto, const char* hint) {
    auto* b = new TSpeedButton(padre, QString::fromUtf8(texto));
    b->setObjectName(QLatin1String(nombre));
    b->setHint(QString::fromUtf8(hint));
    b->setFlat(true);
    return b;
}

TMenuItem* opcion(TPopupMenu* menu, const char* nombre, const char* texto) {
    auto* m = new TMenuItem(menu);
    m->setObjectName(QLatin1String(nombre));
    m->setCaption(QString::fromUtf8(texto));
    menu->Items()->Add(m);
    return m;
}

}  // namespace

TAbrirDocumento GanchoAbrirDocumento = &abrirConEscritorio;

QString TextoClaveDocumentos(const QString& NombreTabla, const QString& ClaveTabla) {
    QString clave = ClaveTabla;
    clave.replace(QLatin1Char('|'), QStringLiteral(" \u00B7 "));
    return NombreTabla + QStringLiteral(" - ") + clave;
}

QString ClaveVecinaDocumentos(const QString& NombreTabla, const QString& Clave, bool Adelante,
                              bool Extremo) {
    QString sql =
        QStringLiteral("SELECT ClaveTabla FROM DOCUTRON WHERE NombreTabla = :NombreTabla");
    QVariantList valores{NombreTabla};
    if (!Extremo) {
        sql += Adelante ? QStringLiteral(" AND ClaveTabla > :ClaveTabla")
                        : QStringLiteral(" AND ClaveTabla < :ClaveTabla");
        valores << Clave;
    }
    sql += Adelante ? QStringLiteral(" ORDER BY NombreTabla, ClaveTabla")
                    : QStringLiteral(" ORDER BY NombreTabla, ClaveTabla DESC");
    auto q = sentencia(DialectoActual().limitSelect(sql, 1), valores);
    if (!abrir(q.get()) || q->IsEmpty()) return QString();
    return q->FieldByName(QStringLiteral("ClaveTabla"))->AsString();
}

void CorreoDocumentos(const QStringList& Documentos, QString& Asunto, QString& Cuerpo,
                      QString& Adjuntos) {
    Asunto.clear();
    Cuerpo.clear();
    Adjuntos.clear();
    QStringList lineas;
    for (const QString& d : Documentos) {
        const QString titulo = d.section(QLatin1Char('|'), 0, 0);
        const QString ubicacion = d.section(QLatin1Char('|'), 1);
        Adjuntos += ubicacion + QLatin1Char('|');
        const QFileInfo archivo(NativePath(ubicacion));
        const bool esArchivo = !ubicacion.isEmpty() && archivo.isFile();
        if (Documentos.size() == 1) {
            Asunto = titulo;
            Cuerpo = esArchivo
                         ? QStringLiteral("Ver documentos adjuntos...")
                         : QStringLiteral("La referencia siguiente puede ser de su interés: ") +
                               titulo + QStringLiteral(" (") + ubicacion + QLatin1Char(')');
        }
        lineas << titulo + QStringLiteral(" (") + (esArchivo ? archivo.fileName() : ubicacion) +
                      QLatin1Char(')');
    }
    if (Documentos.size() > 1) {
        Asunto = QStringLiteral("Documentos/referencias de su interés");
        Cuerpo =
            QStringLiteral("Adjunto le remitimos los siguientes documentos/referencias: \r\n") +
            lineas.join(QStringLiteral("\r\n"));
    }
}

TfGENEDOCE::TfGENEDOCE(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEDOCE"));
    setCaption(QStringLiteral("Documentación Electrónica"));
    setFormStyle(fsMDIChild);
    setKeyPreview(true);
    resize(760, 520);
    if (!fGENEDOCE) fGENEDOCE = this;

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    PanelBotones = new TPanel(this);
    PanelBotones->setObjectName(QStringLiteral("PanelBotones"));
    auto* barra = new QHBoxLayout(PanelBotones);
    barra->setContentsMargins(2, 2, 2, 2);
    pbAgregar = boton(PanelBotones, "pbAgregar", "Agregar", "Agregar un documento a la lista");
    pbEliminar = boton(PanelBotones, "pbEliminar", "Eliminar", "Eliminar un documento de la lista");
    pbAgregarCarpeta = boton(PanelBotones, "pbAgregarCarpeta", "Carpeta",
                             "Agregar una carpeta o directorio a la lista");
    pbAgregarWeb = boton(PanelBotones, "pbAgregarWeb", "Web", "Agregar una página web a la lista");
    pbEnviarEMail = boton(PanelBotones, "pbEnviarEMail", "Correo",
                          "Enviar los documentos seleccionados por correo electrónico");
    pbEjecutar = boton(PanelBotones, "pbEjecutar", "Ejecutar",
                       "Ejecutar la aplicación indicada en Ubicación");
    pnClave = new TPanel(PanelBotones);
    pnClave->setObjectName(QStringLiteral("pnClave"));
    pbPrimero = boton(PanelBotones, "pbPrimero", "|<", "");
    pbAnterior = boton(PanelBotones, "pbAnterior", "<", "");
    pbSiguiente = boton(PanelBotones, "pbSiguiente", ">", "");
    pbUltimo = boton(PanelBotones, "pbUltimo", ">|", "");
    for (QWidget* w : std::initializer_list<QWidget*>{pbAgregar, pbEliminar, pbAgregarCarpeta,
                                                      pbAgregarWeb, pbEnviarEMail, pbEjecutar})
        barra->addWidget(w);
    barra->addWidget(pnClave, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{pbPrimero, pbAnterior, pbSiguiente, pbUltimo})
        barra->addWidget(w);
    raiz->addWidget(PanelBotones);

    Splitter1 = new TSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    ListView1 = new QTreeWidget(Splitter1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setHeaderLabels({QStringLiteral("Título"), QStringLiteral("Ubicación")});
    ListView1->setColumnWidth(0, 250);
    ListView1->setColumnWidth(1, 500);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* inferior = new QWidget(Splitter1);
    auto* capaInferior = new QHBoxLayout(inferior);
    capaInferior->setContentsMargins(0, 0, 0, 0);
    auto* columnaMemo = new QVBoxLayout;
    MemoDescripcion = new TMemo(inferior);
    MemoDescripcion->setObjectName(QStringLiteral("MemoDescripcion"));
    MemoDescripcion->setReadOnly(true);
    pbEditarDescripcion =
        boton(inferior, "pbEditarDescripcion", "Descripción", "Editar la Descripción");
    columnaMemo->addWidget(MemoDescripcion, 1);
    columnaMemo->addWidget(pbEditarDescripcion);
    capaInferior->addLayout(columnaMemo, 1);
    auto* columnaVista = new QVBoxLayout;
    pbStretch =
        boton(inferior, "pbStretch", "Ajustar", "Ajustar la imagen al tamaño de la ventana");
    pbStretch->setCheckable(true);
    WebBrowser1 = new QTextBrowser(inferior);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    // The preview never follows a link out of the program.
    WebBrowser1->setOpenLinks(false);
    ScrollBoxImagen = new TScrollBox(inferior);
    ScrollBoxImagen->setObjectName(QStringLiteral("ScrollBoxImagen"));
    Imagen = new TImage;
    Imagen->setObjectName(QStringLiteral("Imagen"));
    ScrollBoxImagen->setWidget(Imagen);
    ScrollBoxImagen->setWidgetResizable(true);
    columnaVista->addWidget(pbStretch);
    columnaVista->addWidget(WebBrowser1, 1);
    columnaVista->addWidget(ScrollBoxImagen, 1);
    capaInferior->addLayout(columnaVista, 2);
    raiz->addWidget(Splitter1, 1);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Vaciarlalistadedocumentosseleccionados1 =
        opcion(PopupMenu1, "Vaciarlalistadedocumentosseleccionados1",
               "Inicializar la lista de documentos seleccionados");
    Agregaralalistadedocumentosseleccionados1 =
        opcion(PopupMenu1, "Agregaralalistadedocumentosseleccionados1",
               "Agregar a la lista de documentos seleccionados");
    Verlalistadedocumentosseleccionados1 =
        opcion(PopupMenu1, "Verlalistadedocumentosseleccionados1",
               "Ver la lista de documentos seleccionados");
    EnviarListaDocumentosPorCorreoElectronico =
        opcion(PopupMenu1, "EnviarListaDocumentosPorCorreoElectronico",
               "Enviar la lista de documentos seleccionados por correo electrónico");
    Enviareldocumentoseleccionadoporcorreoelectrnico1 =
        opcion(PopupMenu1, "Enviareldocumentoseleccionadoporcorreoelectrnico1",
               "Enviar el documento seleccionado por correo electrónico");

    pbAgregar->OnClick = [this](QObject* s) { pbAgregarClick(s); };
    pbEliminar->OnClick = [this](QObject* s) { pbEliminarClick(s); };
    pbAgregarCarpeta->OnClick = [this](QObject* s) { pbAgregarCarpetaClick(s); };
    pbAgregarWeb->OnClick = [this](QObject* s) { pbAgregarWebClick(s); };
    pbEnviarEMail->OnClick = [this](QObject* s) { pbEnviarEMailClick(s); };
    pbEjecutar->OnClick = [this](QObject* s) { pbEjecutarClick(s); };
    pbPrimero->OnClick = [this](QObject* s) { pbPrimeroClick(s); };
    pbAnterior->OnClick = [this](QObject* s) { pbAnteriorClick(s); };
    pbSiguiente->OnClick = [this](QObject* s) { pbSiguienteClick(s); };
    pbUltimo->OnClick = [this](QObject* s) { pbUltimoClick(s); };
    pbEditarDescripcion->OnClick = [this](QObject* s) { pbEditarDescripcionClick(s); };
    pbStretch->OnClick = [this](QObject* s) { pbStretchClick(s); };
    Vaciarlalistadedocumentosseleccionados1->OnClick = [this](QObject* s) {
        Vaciarlalistadedocumentosseleccionados1Click(s);
    };
    Agregaralalistadedocumentosseleccionados1->OnClick = [this](QObject* s) {
        Agregaralalistadedocumentosseleccionados1Click(s);
    };
    Verlalistadedocumentosseleccionados1->OnClick = [this](QObject* s) {
        Verlalistadedocumentosseleccionados1Click(s);
    };
    EnviarListaDocumentosPorCorreoElectronico->OnClick = [this](QObject* s) {
        EnviarListaDocumentosPorCorreoElectronicoClick(s);
    };
    Enviareldocumentoseleccionadoporcorreoelectrnico1->OnClick = [this](QObject* s) {
        Enviareldocumentoseleccionadoporcorreoelectrnico1Click(s);
    };
    connect(ListView1, &QTreeWidget::currentItemChanged, this,
            [this] { RunHandler(this, [this] { ListView1SelectItem(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->Popup(ListView1->viewport()->mapToGlobal(p)); });

    OnCreate = [this](QObject*) {
        if (fGENEINIC) AplicarAspecto(fGENEINIC, this);
        limpiarVista();
    };
    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnActivate = [this](QObject*) {
        if (!NombreTabla.isEmpty()) CargarDocumentos();
    };
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
}

TfGENEDOCE::~TfGENEDOCE() {
    if (fGENEDOCE == this) fGENEDOCE = nullptr;
}

void TfGENEDOCE::limpiarVista() {
    WebBrowser1->clear();
    WebBrowser1->setVisible(false);
    ScrollBoxImagen->setVisible(false);
    pbStretch->setVisible(false);
    Imagen->Clear();
    VistaActual = vsNada;
}

void TfGENEDOCE::CargarDocumentos() {
    pnClave->setCaption(TextoClaveDocumentos(NombreTabla, ClaveTabla));
    ListView1->clear();
    auto q = sentencia(QStringLiteral("SELECT Nombre, Ubicacion") + kCondicion +
                           QStringLiteral(" ORDER BY Nombre"),
                       {NombreTabla, ClaveTabla});
    if (abrir(q.get()))
        for (q->First(); !q->Eof(); q->Next())
            new QTreeWidgetItem(ListView1,
                                {q->FieldByName(QStringLiteral("Nombre"))->AsString(),
                                 q->FieldByName(QStringLiteral("Ubicacion"))->AsString()});
    if (ListView1->topLevelItemCount() > 0) {
        SeleccionarDocumento(0);
    } else {
        MemoDescripcion->Clear();
        limpiarVista();
        WebBrowser1->setVisible(true);
    }
    DocumentosSeleccionados.clear();
}

int TfGENEDOCE::NumeroDocumentos() const {
    return ListView1->topLevelItemCount();
}

void TfGENEDOCE::SeleccionarDocumento(int Indice) {
    QTreeWidgetItem* item = ListView1->topLevelItem(Indice);
    if (ListView1->currentItem() == item)
        ListView1SelectItem();
    else
        ListView1->setCurrentItem(item);
}

QString TfGENEDOCE::TituloSeleccionado() const {
    return ListView1->currentItem() ? ListView1->currentItem()->text(0) : QString();
}

QString TfGENEDOCE::UbicacionSeleccionada() const {
    return ListView1->currentItem() ? ListView1->currentItem()->text(1) : QString();
}

void TfGENEDOCE::ListView1SelectItem() {
    if (!ListView1->currentItem()) return;
    const QString titulo = TituloSeleccionado();
    const QString ubicacion = UbicacionSeleccionada();
    auto q = sentencia(
        QStringLiteral("SELECT Descripcion") + kCondicion + QStringLiteral(" AND Nombre = :Nombre"),
        {NombreTabla, ClaveTabla, titulo});
    MemoDescripcion->setText(abrir(q.get()) && !q->IsEmpty()
                                 ? q->FieldByName(QStringLiteral("Descripcion"))->AsString()
                                 : QString());
    limpiarVista();
    const QString extension = QFileInfo(ubicacion).suffix().toUpper();
    const QString ruta = NativePath(ubicacion);
    if (QStringList{QStringLiteral("BMP"), QStringLiteral("JPG"), QStringLiteral("JPEG"),
                    QStringLiteral("PNG")}
            .contains(extension) &&
        !esDireccionWeb(ubicacion)) {
        Imagen->LoadFromFile(ruta);
        Imagen->setStretch(pbStretch->isChecked());
        ScrollBoxImagen->setVisible(true);
        pbStretch->setVisible(true);
        VistaActual = vsImagen;
        return;
    }
    WebBrowser1->setVisible(true);
    if (extension == QLatin1String("WMF")) {
        WebBrowser1->setPlainText(QStringLiteral("Las imágenes WMF no se pueden mostrar: ") +
                                  ubicacion);
        VistaActual = vsNoSoportada;
        return;
    }
    if (ubicacion.isEmpty()) return;
    if (esDireccionWeb(ubicacion) || !QFileInfo(ruta).isFile()) {
        // A web page or a folder: its address, never fetched here.
        WebBrowser1->setHtml(
            QStringLiteral("<p><a href=\"%1\">%1</a></p>").arg(ubicacion.toHtmlEscaped()));
        VistaActual = vsDireccion;
        return;
    }
    static const QStringList html = {QStringLiteral("HTM"), QStringLiteral("HTML")};
    static const QStringList texto = {QStringLiteral("TXT"), QStringLiteral("CSV"),
                                      QStringLiteral("LOG"), QStringLiteral("INI"),
                                      QStringLiteral("XML"), QStringLiteral("SQL")};
    QString contenido;
    if ((html.contains(extension) || texto.contains(extension)) && ReadTextFile(ruta, contenido)) {
        if (html.contains(extension))
            WebBrowser1->setHtml(contenido);
        else
            WebBrowser1->setPlainText(contenido);
        VistaActual = vsTexto;
        return;
    }
    WebBrowser1->setHtml(QStringLiteral("<p>%1</p>").arg(ubicacion.toHtmlEscaped()));
    VistaActual = vsDireccion;
}

bool TfGENEDOCE::HayRegistro() const {
    // Without a record's key a document would belong to no record, and later
    // to whichever record is saved under the empty key. A key made of
    // "|"-joined values is empty when every value is (a new record's "|||").
    const QStringList partes = ClaveTabla.split(QLatin1Char('|'));
    if (std::any_of(partes.cbegin(), partes.cend(),
                    [](const QString& p) { return !p.trimmed().isEmpty(); }))
        return true;
    MensajeAdvertencia(
        QStringLiteral("¡ No hay ningún registro actual al que asociar el documento !"));
    return false;
}

bool TfGENEDOCE::EscribirBajoRegistro(const QString& Sql, const QVariantList& Valores,
                                      const QString& Aviso) {
    // The owner is compared and the document written in one transaction: no
    // delete or new record under the key slips between the two.
    TGuardaTransaccion transaccion(fGENEINIC);
    // Without one the comparison would prove nothing: nothing is written then.
    if (!transaccion.Activa()) {
        MensajeAdvertencia(TextoTransaccionNoIniciada());
        return false;
    }
    try {
        CheckRowAsRead(RegistroLeido);
        sentencia(Sql, Valores)->ExecSQL();
    } catch (const EDatabaseError& e) {
        if (e.code() == DbError::RecordChanged || e.code() == DbError::RecordDeleted)
            MensajeAdvertencia(TextoErrorBaseDatos(e));
        else
            MensajeAdvertencia(
                TextoRechazo(e, Aviso + QStringLiteral(". Motivo: ") + MotivoError(e)));
        return false;
    }
    // A commit that fails has said why.
    return transaccion.Confirmar();
}

bool TfGENEDOCE::AgregarDocumento(const QString& Titulo, const QString& Ubicacion,
                                  const QString& Descripcion) {
    bool retenida = false;
    if (!HayRegistro() ||
        !ReservarClaveDocumentacion(fGENEINIC, NombreTabla, ClaveTabla, &retenida))
        return false;
    // Without a record read, the key is a new record's: only while its entry
    // holds it, so that the entry's cancel takes the document with it and no
    // later record under the key finds it as its own.
    if (RegistroLeido.isEmpty() && !retenida && !SinComprobar) {
        MensajeAdvertencia(
            QStringLiteral("¡ No hay ningún registro actual al que asociar el documento !"));
        return false;
    }
    if (!EscribirBajoRegistro(
            QStringLiteral("INSERT INTO DOCUTRON (NombreTabla, ClaveTabla, Nombre, Ubicacion, "
                           "Descripcion) VALUES (:NombreTabla, :ClaveTabla, :Nombre, :Ubicacion, "
                           ":Descripcion)"),
            {NombreTabla, ClaveTabla, Titulo, Ubicacion, Descripcion},
            QStringLiteral("¡No ha sido posible registrar el Documento!")))
        return false;
    auto* item = new QTreeWidgetItem(ListView1, {Titulo, Ubicacion});
    ListView1->setCurrentItem(item);
    DocumentacionElectronicaModificada(fGENEINIC, NombreTabla);
    return true;
}

QString TfGENEDOCE::PedirTitulo(const QString& Defecto) {
    return MensajePeticion(QStringLiteral("Introduzca el Nombre del Documento:"), Defecto)
        .trimmed();
}

void TfGENEDOCE::pbAgregarClick(QObject*) {
    if (!HayRegistro()) return;
    QString archivo;
    if (!SeleccionarArchivo(fGENEINIC, QStringLiteral("Documentación Electrónica"), archivo,
                            QStringLiteral("Archivos")) ||
        archivo.isEmpty())
        return;
    QString nombre = QFileInfo(NativePath(archivo)).fileName();
    const QString extension = QFileInfo(nombre).suffix();
    if (!extension.isEmpty())
        nombre.remove(nombre.indexOf(QLatin1Char('.') + extension), extension.size() + 1);
    const QString titulo = PedirTitulo(nombre);
    if (titulo.isEmpty()) return;
    QString unc;
    NombreUniversal(archivo, unc);
    AgregarDocumento(titulo, unc, QString());
}

void TfGENEDOCE::pbAgregarCarpetaClick(QObject*) {
    if (!HayRegistro()) return;
    QString carpeta;
    if (!ElegirCarpeta(fGENEINIC, QStringLiteral("Seleccione la carpeta que desea incorporar"),
                       carpeta, QStringLiteral("Carpetas")) ||
        carpeta.isEmpty())
        return;
    const QString titulo = PedirTitulo(QFileInfo(NativePath(carpeta)).fileName());
    if (titulo.isEmpty()) return;
    QString unc;
    NombreUniversal(carpeta, unc);
    AgregarDocumento(titulo, unc, QString());
}

void TfGENEDOCE::pbAgregarWebClick(QObject*) {
    if (!HayRegistro()) return;
    const QString direccion =
        MensajePeticion(QStringLiteral("Introduzca la dirección de la página Web:")).trimmed();
    if (direccion.isEmpty()) return;
    const QString titulo = PedirTitulo(direccion);
    if (titulo.isEmpty()) return;
    AgregarDocumento(titulo, direccion, QString());
}

void TfGENEDOCE::pbEditarDescripcionClick(QObject*) {
    QString descripcion;
    if (!ListView1->currentItem()) {
        // A text note: a title and its text, no location.
        if (!HayRegistro()) return;
        const QString titulo = MensajePeticion(QStringLiteral("Introduzca el Título:")).trimmed();
        if (titulo.isEmpty()) return;
        EditarTexto(fGENEINIC, QStringLiteral("Titulo=Descripción"), MemoDescripcion->Text(),
                    descripcion);
        if (AgregarDocumento(titulo, QString(), descripcion)) MemoDescripcion->setText(descripcion);
        return;
    }
    EditarTexto(fGENEINIC, QStringLiteral("Titulo=Descripción del Documento"),
                MemoDescripcion->Text(), descripcion);
    // A document of the record read: one another clerk's new record under
    // the key has by the same title is not it.
    if (EscribirBajoRegistro(QStringLiteral("UPDATE DOCUTRON SET Descripcion = :Descripcion "
                                            "WHERE NombreTabla = :NombreTabla AND ClaveTabla = "
                                            ":ClaveTabla AND Nombre = :Nombre"),
                             {descripcion, NombreTabla, ClaveTabla, TituloSeleccionado()},
                             QStringLiteral("¡No ha sido posible registrar el Documento!")))
        MemoDescripcion->setText(descripcion);
}

void TfGENEDOCE::pbEliminarClick(QObject*) {
    QTreeWidgetItem* item = ListView1->currentItem();
    if (!item) return;
    if (!EscribirBajoRegistro(
            QStringLiteral("DELETE") + kCondicion + QStringLiteral(" AND Nombre = :Nombre"),
            {NombreTabla, ClaveTabla, item->text(0)},
            QStringLiteral("¡No ha sido posible eliminar el registro del Documento!")))
        return;
    delete item;
    DocumentacionElectronicaModificada(fGENEINIC, NombreTabla);
    if (!ListView1->currentItem()) {
        MemoDescripcion->Clear();
        limpiarVista();
    }
}

void TfGENEDOCE::pbEjecutarClick(QObject*) {
    if (!ListView1->currentItem()) return;
    Imagen->Clear();
    WebBrowser1->clear();
    if (GanchoAbrirDocumento) GanchoAbrirDocumento(UbicacionSeleccionada());
}

void TfGENEDOCE::pbStretchClick(QObject*) {
    Imagen->setStretch(pbStretch->isChecked());
}

void TfGENEDOCE::navegar(bool Adelante, bool Extremo) {
    const QString clave = ClaveVecinaDocumentos(NombreTabla, ClaveTabla, Adelante, Extremo);
    if (clave.isEmpty()) {
        if (!Extremo)
            MensajeInformacion(Adelante ? QStringLiteral("Esta Vd. en el último registro")
                                        : QStringLiteral("Esta Vd. en el primer registro"));
        return;
    }
    ClaveTabla = clave;
    TRowAsRead leido;
    SinComprobar = !LeerPropietario(clave, leido);
    RegistroLeido = leido;
    CargarDocumentos();
}

bool TfGENEDOCE::LeerPropietario(const QString& Clave, TRowAsRead& Leido) const {
    // The record this window walked to is read here, as an opening window
    // reads its own (also from a new record's window); a table or key it
    // cannot look up (no primary index, a key text it cannot take) is left
    // unchecked, as before.
    Leido = TRowAsRead();
    const QString base = RegistroLeido.isEmpty()
                             ? NombreBaseDatosSelector(QStringLiteral("Database"))
                             : RegistroLeido.databaseName;
    const QString nombre = RegistroLeido.isEmpty() ? NombreTabla : RegistroLeido.tableName;
    try {
        TTable tabla;
        tabla.setDatabaseName(base);
        tabla.setTableName(nombre);
        tabla.setPageSize(1, 1);
        tabla.Open();
        const QStringList partes = Clave.split(QLatin1Char('|'));
        if (tabla.IndexFieldCount() != partes.size()) return false;
        QVariantList valores;
        for (const QString& p : partes) valores << p;
        if (tabla.FindKey(valores)) {
            Leido = tabla.RowAsRead();
            return true;
        }
        // Documents of a record that is gone: none is added to them.
        Leido.databaseName = base;
        Leido.tableName = nombre;
        return true;
    } catch (const std::exception&) {
    }
    return false;
}

void TfGENEDOCE::pbPrimeroClick(QObject*) {
    navegar(true, true);
}
void TfGENEDOCE::pbAnteriorClick(QObject*) {
    navegar(false, false);
}
void TfGENEDOCE::pbSiguienteClick(QObject*) {
    navegar(true, false);
}
void TfGENEDOCE::pbUltimoClick(QObject*) {
    navegar(false, true);
}

void TfGENEDOCE::Vaciarlalistadedocumentosseleccionados1Click(QObject*) {
    DocumentosSeleccionados.clear();
}

void TfGENEDOCE::Agregaralalistadedocumentosseleccionados1Click(QObject*) {
    if (!ListView1->currentItem()) return;
    const QString d = TituloSeleccionado() + QLatin1Char('|') + UbicacionSeleccionada();
    if (!DocumentosSeleccionados.contains(d)) {
        DocumentosSeleccionados << d;
        DocumentosSeleccionados.sort();
    }
}

void TfGENEDOCE::Verlalistadedocumentosseleccionados1Click(QObject*) {
    QString resultado;
    VisorListaDatos(fGENEINIC,
                    QStringLiteral("Titulo=Lista de Documentos Seleccionados\r\n"
                                   "Formato=0,0,530,0;\r\nNumeroCampos=2\r\n"
                                   "DefinicionCampos=Titulo,ftString,125;Ubicacion,ftString,255;"
                                   "\r\nModo=Consulta,Eliminar"),
                    DocumentosSeleccionados.join(QStringLiteral("\r\n")), resultado);
    DocumentosSeleccionados = resultado.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    DocumentosSeleccionados.removeDuplicates();
    DocumentosSeleccionados.sort();
}

void TfGENEDOCE::EnviarListaDocumentosPorCorreoElectronicoClick(QObject*) {
    enviarSeleccionados();
}

void TfGENEDOCE::Enviareldocumentoseleccionadoporcorreoelectrnico1Click(QObject*) {
    DocumentosSeleccionados.clear();
    Agregaralalistadedocumentosseleccionados1Click(nullptr);
    enviarSeleccionados();
}

void TfGENEDOCE::pbEnviarEMailClick(QObject*) {
    if (DocumentosSeleccionados.isEmpty()) {
        if (!ListView1->currentItem()) {
            MensajeAdvertencia(QStringLiteral("¡Debe seleccionar algún documento!"));
            return;
        }
        Agregaralalistadedocumentosseleccionados1Click(nullptr);
    }
    enviarSeleccionados();
}

void TfGENEDOCE::enviarSeleccionados() {
    if (DocumentosSeleccionados.isEmpty()) {
        MensajeAdvertencia(QStringLiteral("¡Debe seleccionar algún documento!"));
        return;
    }
    QString destinatario;
    if (NombreTabla == QLatin1String("CLIENTE") || NombreTabla == QLatin1String("PROVEEDR")) {
        auto q = sentencia(QStringLiteral("SELECT DirecCorreoElectronico FROM ") + NombreTabla +
                               QStringLiteral(" WHERE Codigo = :Codigo"),
                           {ExtraerToken(0, ClaveTabla, QStringLiteral("|"))});
        if (abrir(q.get()) && !q->IsEmpty())
            destinatario = q->FieldByName(QStringLiteral("DirecCorreoElectronico"))->AsString();
    }
    if (destinatario.isEmpty())
        destinatario = QStringLiteral("Introduzca aquí la dirección de correo del destinatario...");
    QString asunto, cuerpo, adjuntos;
    CorreoDocumentos(DocumentosSeleccionados, asunto, cuerpo, adjuntos);

    QString empresa;
    if (ModuloDatos && ModuloDatos->ParamGenerales && ModuloDatos->ParamGenerales->Active())
        if (TField* c =
                ModuloDatos->ParamGenerales->FindField(QStringLiteral("CfgCorreoElectronico")))
            empresa = c->AsString();
    if (empresa.contains(QLatin1String("ClienteSMTP=Indy"))) {
        destinatario =
            MensajePeticion(QStringLiteral("Introduzca la dirección de correo electrónica del "
                                           "destinatario:"),
                            destinatario)
                .trimmed();
        if (destinatario.isEmpty()) return;
    }
    QString configuracion, error;
    ConfiguracionSMTP(ModuloDatos, CodigoUsuarioActual, QString(), configuracion);
    EnviarEMail(fGENEINIC, configuracion, destinatario, asunto, cuerpo, adjuntos, error);
    DocumentosSeleccionados.clear();
}

void RegistrarTfGENEDOCE() {
    if (!FormClassRegistered(QStringLiteral("TfGENEDOCE")))
        RegisterFormClass<TfGENEDOCE>(QStringLiteral("TfGENEDOCE"));
}

void InstalarDocumentacionElectronica() {
    RegistrarTfGENEDOCE();
    GanchoDocumentacionElectronica = [](const QString& NombreTabla, const QString& Clave,
                                        const TRowAsRead& Registro) {
        AbrirDocumentacionElectronica(fGENEINIC, NombreTabla, Clave, Registro);
    };
}

namespace {
const bool registrado = [] {
    RegistrarTfGENEDOCE();
    return true;
}();
}  // namespace
