// The designer's stored reports: new, save, save as, delete, search, exit and
// print; the access lists and their copy to other reports; the copy to other
// companies; export to and import from a text file.

#include <QApplication>
#include <QVariant>

#include "db/table.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genecopi.h"
#include "gene/session/geneform.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/listings/genecinf.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_intercambio.h"
#include "gene/listings/genecsql_accesos.h"
#include "gene/data/mensajes.h"
#include "ui/controls.h"
#include "ui/registry.h"

namespace {

const QString kSI = QStringLiteral("SI");
const QString kNombreNuevo = QStringLiteral("Introduzca el Nombre del Nuevo Informe: ");
const QString kFiltroTexto =
    QStringLiteral("Archivos de Texto (*.TXT)|*.TXT|Todos los Archivos (*.*)|*.*");

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

// A typed name: the blanks around it are no part of a menu caption.
QString PedirNombre(const QString& Texto, const QString& Defecto = QString()) {
    return MensajePeticion(Texto, Defecto).trimmed();
}

// When a report is loaded and modified, asks Pregunta; "SI" saves it. False
// when that save failed: the operation that asked stops.
bool GuardarSiModificado(TfGENECINF* f, const QString& Pregunta) {
    const QString nombre = f->edNombreInforme->Text();
    if (nombre.isEmpty() || !f->InformeModificado()) return true;
    if (MensajeConfirmacion(Pregunta) != kSI) return true;
    return f->GrabarInforme(nombre, QString());
}

}  // namespace

void TfGENECINF::pbNuevoClick() {
    if (!GuardarSiModificado(
            this, QStringLiteral("¿Desea guardar las modificaciones al informe anterior?")))
        return;
    const QString nombre = PedirNombre(kNombreNuevo);
    if (nombre.isEmpty()) return;
    if (ExisteInforme(nombre)) {
        MensajeAdvertencia(QStringLiteral("¡El nombre del informe indicado ya existe!"));
        return;
    }
    CargarInforme(nombre);
    GrabarInforme(nombre, QStringLiteral("Nuevo"));
    PageControl1->setCurrentWidget(PagConfiguracion);
}

void TfGENECINF::pbGuardarClick() {
    const QString nombre = edNombreInforme->Text();
    if (!nombre.isEmpty()) GrabarInforme(nombre, QString());
}

void TfGENECINF::pbGuardarComoClick() {
    const QString nombre = PedirNombre(kNombreNuevo, edNombreInforme->Text());
    if (nombre.isEmpty()) return;
    // A stored report of that name is replaced.
    if (GrabarInforme(nombre, QString())) CargarInforme(nombre);
}

void TfGENECINF::pbEliminarClick() {
    const QString nombre = edNombreInforme->Text();
    if (nombre.isEmpty()) return;
    if (MensajeConfirmacion(
            QStringLiteral("¿Está seguro de que quiere eliminar el Informe actual?")) != kSI)
        return;
    if (!EliminarInforme(nombre)) {
        // The report stays on screen rather than seeming deleted.
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible eliminar el informe!"));
        return;
    }
    CargarInforme(InformeAnterior(nombre));
}

void TfGENECINF::BuscarDatosDBEdit() {
    if (!GuardarSiModificado(this,
                             QStringLiteral("¿Desea guardar los cambios del informe actual?")))
        return;
    QVariant clave;
    BuscarConParametros(QStringLiteral("FILTRO"),
                        QStringLiteral("Filtro=(NombreTabla = 'GeneradorInformes')\r\n"
                                       "CamposVisibles=Descripcion"),
                        clave);
    if (clave.isNull()) return;
    // The key is NombreTabla and Descripcion.
    const QVariantList valores = clave.toList();
    const QString nombre = valores.isEmpty() ? clave.toString() : valores.last().toString();
    if (!nombre.isEmpty()) CargarInforme(nombre);
}

void TfGENECINF::pbSalirClick() {
    const QString nombre = edNombreInforme->Text();
    if (!nombre.isEmpty() && InformeModificado() &&
        MensajeConfirmacion(QStringLiteral(
            "El informe ha sido modificado. ¿Desea guardarlo antes de salir?")) == kSI &&
        !GrabarInforme(nombre, QString()))
        return;  // a failed save keeps the window and the design
    Close();
}

void TfGENECINF::pbImprimirClick() {
    const QString nombre = edNombreInforme->Text();
    if (nombre.isEmpty()) return;
    if (InformeModificado()) {
        if (MensajeConfirmacion(QStringLiteral(
                "El informe debe ser guardado antes de imprimir. ¿Desea continuar?")) != kSI)
            return;
        if (!GrabarInforme(nombre, QString())) return;
    }
    if (!FormClassRegistered(QStringLiteral("TfGENEUINF"))) return;
    // One runner at a time: the open one goes first.
    for (QWidget* w : QApplication::allWidgets()) {
        auto* runner = qobject_cast<TForm*>(w);
        if (runner && runner->objectName() == QLatin1String("fGENEUINF")) runner->Close();
    }
    InformeUsuarioAEjecutar = nombre;
    TForm* informe = CreateForm(QStringLiteral("TfGENEUINF"));
    RegistrarUso(Modulo(), informe, QStringLiteral("Create"));
}

// ---------------------------------------------------------------- access lists

void TfGENECINF::pbRestringirAUsuariosClick() {
    if (!ElegirUsuariosAutorizados(QStringLiteral("Titulo=Seleccion de Usuarios\r\n"
                                                  "Formato=0,0,300,0\r\nModo=Multiple\r\n"
                                                  "Opciones=Ordenada"),
                                   UsuariosAutorizados))
        return;
    RecordarCambiosAccesos();
}

void TfGENECINF::pbPersonalizarMenuClick() {
    ElegirAplicacionesContenedoras(
        QStringLiteral("Titulo=Seleccion de Aplicaciones Contenedoras\r\n"
                       "Formato=0,0,300,0\r\nModo=Multiple\r\n"
                       "Opciones=Ordenada"),
        AplicacionesContenedoras);
    RecordarCambiosAccesos();
}

void TfGENECINF::pbCopiarConfiguracionClick() {
    QString lista;
    ConsultasGuardadas(Modulo(), QString(), QString(), QStringLiteral("GeneradorInformes"), lista);
    const QStringList elegidos =
        SeleccionarMarcados(QStringLiteral("Titulo=Seleccion de Informes\r\nFormato=0,0,300,0\r\n"
                                           "Modo=Multiple\r\nOpciones=Ordenada"),
                            LineasTexto(lista), {});
    if (elegidos.isEmpty()) return;
    Esperar(500);
    if (MensajeConfirmacion(
            QStringLiteral("¿Está seguro de querer copiar la configuración de usuarios y "
                           "aplicaciones a los informes indicados?")) != kSI)
        return;
    {
        TCursorEspera reloj;
        CopiarAccesosInformes(elegidos, UsuariosAutorizados, AplicacionesContenedoras);
    }
    MensajeInformacion(kRecuerdeCambiosAccesos);
}

void TfGENECINF::pbCopiarAOtrasEmpresasClick() {
    // The reports alone: saved queries and filters of the other companies
    // that share a report's name stay as they are.
    if (AbrirTablaInformes(Filtro)) CopiarRegistrosAEmpresas(Filtro);
    Filtro->Close();
}

// ---------------------------------------------------------------- exchange

void TfGENECINF::pbExportarClick() {
    // Without a name there is no report to save or to export.
    const QString nombre = edNombreInforme->Text();
    if (nombre.isEmpty()) return;
    if (MensajeConfirmacion(QStringLiteral("Se guadarán los datos del registro actual previamente. "
                                           "¿Desea continuar en cualquier caso?")) != kSI)
        return;
    if (!GrabarInforme(nombre, QString()) || !InformeExportable(nombre)) return;
    TFileDialog* d = SaveDialog1(Modulo());
    FiltroGuardado filtro(d);
    d->Title = QStringLiteral("Exportar a un Archivo de Texto");
    d->Filter = kFiltroTexto;
    d->FilterIndex = 1;
    d->FileName = QStringLiteral("INFORME.TXT");
    if (d->Execute()) ExportarInforme(nombre, d->FileName);
    d->FileName.clear();
}

void TfGENECINF::pbImportarClick() {
    const QString actual = edNombreInforme->Text();
    if (MensajeConfirmacion(
            QStringLiteral("¿Desea guadar los datos del registro actual previamente?")) == kSI &&
        !actual.isEmpty() && !GrabarInforme(actual, QString()))
        return;
    TFileDialog* d = OpenDialog1(Modulo());
    FiltroGuardado filtro(d);
    d->Title = QStringLiteral("Importar desde un Archivo de Texto");
    d->Filter = kFiltroTexto;
    d->FilterIndex = 1;
    if (!d->Execute()) return;
    InformeIntercambio informe;
    if (!LeerArchivoInforme(d->FileName, informe)) return;
    const QString nombre = PedirNombre(
        QStringLiteral("Introduzca un nuevo nombre para el Informe:"), informe.Descripcion);
    if (nombre.isEmpty()) return;
    if (InsertarInformeImportado(nombre, informe)) CargarInforme(nombre);
}
