#pragma once
// Electronic documentation: the documents of any record (files, folders, web
// pages and text notes, each with a title, a location and a description),
// rows of DOCUTRON keyed by the owner's table name and key text. The window
// (an MDI child, opened through AbrirDocumentacionElectronica) lists the
// documents of one record, previews the selected one without starting any
// program (pictures, text and HTML files, the address of a web page), adds
// and removes documents, walks among the records of the same table that have
// documents and mails a selection of them. Only "Ejecutar" opens a document
// with the desktop's program for it.

#include <QString>
#include <QStringList>

#include "db/table.h"
#include "ui/form.h"

class QTextBrowser;
class QTreeWidget;
class TImage;
class TMemo;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TScrollBox;
class TSpeedButton;
class TSplitter;

class TfGENEDOCE : public TForm {
    Q_OBJECT
    Q_PROPERTY(QString NombreTabla MEMBER NombreTabla)
    Q_PROPERTY(QString ClaveTabla MEMBER ClaveTabla)
    Q_PROPERTY(TRowAsRead RegistroLeido READ registroLeido WRITE setRegistroLeido)
public:
    explicit TfGENEDOCE(QWidget* owner = nullptr);
    ~TfGENEDOCE() override;

    TPanel* PanelBotones;
    TSpeedButton* pbAgregar;
    TSpeedButton* pbEliminar;
    TSpeedButton* pbAgregarCarpeta;
    TSpeedButton* pbAgregarWeb;
    TSpeedButton* pbEnviarEMail;
    TSpeedButton* pbEjecutar;
    TPanel* pnClave;
    TSpeedButton* pbPrimero;
    TSpeedButton* pbAnterior;
    TSpeedButton* pbSiguiente;
    TSpeedButton* pbUltimo;
    QTreeWidget* ListView1;  // columns "Título" and "Ubicación"
    TPopupMenu* PopupMenu1;
    TMenuItem* Vaciarlalistadedocumentosseleccionados1;
    TMenuItem* Agregaralalistadedocumentosseleccionados1;
    TMenuItem* Verlalistadedocumentosseleccionados1;
    TMenuItem* EnviarListaDocumentosPorCorreoElectronico;
    TMenuItem* Enviareldocumentoseleccionadoporcorreoelectrnico1;
    TSplitter* Splitter1;
    TMemo* MemoDescripcion;
    TSpeedButton* pbEditarDescripcion;
    TSpeedButton* pbStretch;
    QTextBrowser* WebBrowser1;
    TScrollBox* ScrollBoxImagen;
    TImage* Imagen;

    // The owner record (table without owner prefix, key text: several
    // values joined by "|").
    QString NombreTabla;
    QString ClaveTabla;
    // The owner record as the window that opened this one read it (as this
    // one read it after a walk to another record; empty for a new record,
    // whose key an open entry must hold instead): documents are stored only
    // under it.
    TRowAsRead RegistroLeido;
    TRowAsRead registroLeido() const { return RegistroLeido; }
    void setRegistroLeido(const TRowAsRead& r) {
        RegistroLeido = r;
        SinComprobar = false;
    }
    // Documents chosen for mailing: "title|location", sorted, no duplicates.
    QStringList DocumentosSeleccionados;

    // What the preview shows.
    enum TVista { vsNada, vsImagen, vsTexto, vsDireccion, vsNoSoportada };
    TVista VistaActual = vsNada;

    // Lists the owner's documents and selects the first.
    Q_INVOKABLE void CargarDocumentos();
    Q_INVOKABLE void BuscarDatosDBEdit(QObject*) {}

    int NumeroDocumentos() const;
    void SeleccionarDocumento(int Indice);
    QString TituloSeleccionado() const;
    QString UbicacionSeleccionada() const;
    // Previews the selected document.
    void ListView1SelectItem();

    // Whether the window is on a record (its key not empty); warns when not.
    bool HayRegistro() const;
    // Inserts a document of the owner and selects it; false after the
    // warning "¡No ha sido posible registrar el Documento!", without a record,
    // when a new record's key cannot be held for it, or (after the
    // database's words for it) when the owner is no longer the record read.
    bool AgregarDocumento(const QString& Titulo, const QString& Ubicacion,
                          const QString& Descripcion);
    // Asks the title (default given); "" when cancelled or left empty.
    QString PedirTitulo(const QString& Defecto);

    Q_INVOKABLE void pbAgregarClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbAgregarCarpetaClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbAgregarWebClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbEliminarClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbEjecutarClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbEditarDescripcionClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbStretchClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbPrimeroClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbAnteriorClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbSiguienteClick(QObject* Sender = nullptr);
    Q_INVOKABLE void pbUltimoClick(QObject* Sender = nullptr);
    Q_INVOKABLE void Vaciarlalistadedocumentosseleccionados1Click(QObject* Sender = nullptr);
    Q_INVOKABLE void Agregaralalistadedocumentosseleccionados1Click(QObject* Sender = nullptr);
    Q_INVOKABLE void Verlalistadedocumentosseleccionados1Click(QObject* Sender = nullptr);
    Q_INVOKABLE void EnviarListaDocumentosPorCorreoElectronicoClick(QObject* Sender = nullptr);
    Q_INVOKABLE void Enviareldocumentoseleccionadoporcorreoelectrnico1Click(
        QObject* Sender = nullptr);
    Q_INVOKABLE void pbEnviarEMailClick(QObject* Sender = nullptr);

private:
    // The owner record under the key Clave as it now stands (see
    // RegistroLeido; no row when there is none); false when the table or key
    // cannot be looked up.
    bool LeerPropietario(const QString& Clave, TRowAsRead& Leido) const;
    // Runs a write of the owner's documents (values bound) once the owner is
    // found still the record read, in one transaction: true when done. A
    // refusal is told by its cause: a record changed or gone, a busy database,
    // a lost connection or a locked record in the database's words, anything
    // else as Aviso with its reason.
    bool EscribirBajoRegistro(const QString& Sql, const QVariantList& Valores,
                              const QString& Aviso);
    // A walk reached a record that cannot be looked up: its documents are
    // stored unchecked.
    bool SinComprobar = false;
    void limpiarVista();
    void navegar(bool Adelante, bool Extremo);
    void enviarSeleccionados();
};

extern TfGENEDOCE* fGENEDOCE;

// The key panel's text: table, " - " and the key with every "|" shown as
// " · ".
QString TextoClaveDocumentos(const QString& NombreTabla, const QString& ClaveTabla);
// The owner key next to Clave among the table's records with documents
// (after it when Adelante, before it otherwise; the first or last of all
// with Extremo); "" when there is none.
QString ClaveVecinaDocumentos(const QString& NombreTabla, const QString& Clave, bool Adelante,
                              bool Extremo);
// Subject, body and attachments ("|" after each location) of the mail of
// the selected documents ("title|location" items).
void CorreoDocumentos(const QStringList& Documentos, QString& Asunto, QString& Cuerpo,
                      QString& Adjuntos);

// How "Ejecutar" hands a location to the desktop (a test may replace it).
using TAbrirDocumento = bool (*)(const QString& Ubicacion);
extern TAbrirDocumento GanchoAbrirDocumento;

// Puts the window in the form registry (idempotent).
void RegistrarTfGENEDOCE();
// Puts the window behind DocumentacionElectronica, so that every form's
// "Documentación Electrónica" opens it on the form's record. The program
// entry runs it at start.
void InstalarDocumentacionElectronica();
