// A new person's lines are stored under his held code before he is: the
// confirm that stores him checks, in its own transaction, that the lines the
// window shows as stored still are, so that he is never stored without a
// line another program removed meanwhile.

#include "db/database.h"
#include "db/dataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"

void TFichaPersona::AltaGrabada() {
    if (fGENEINIC && fGENEINIC->Database && fGENEINIC->Database->InTransaction())
        liberarAlta_ = true;
    else
        Alta->Liberar();
}

void TFichaPersona::GrabarDatos() {
    liberarAlta_ = false;
    TMaestroFicha::GrabarDatos();
    if (!liberarAlta_) return;
    liberarAlta_ = false;
    Alta->LiberarSiGrabado();
}

void TFichaPersona::ConectarLineasAlta() {
    for (TTable* t : LineasFicha()) {
        const TDataSetNotifyEvent antes = t->BeforeDelete;
        t->BeforeDelete = [this, antes](TDataSet* d) {
            if (antes) antes(d);
            if (Table1->State() == dsInsert) Alta->LineaQuitada(d);
        };
        // A line whose post the confirm took back, given up as typed.
        t->BeforeCancel = [this](TDataSet* d) {
            if (d->State() == dsInsert && Table1->State() == dsInsert) Alta->LineaQuitada(d);
        };
        // A stored line changed goes on under its new key.
        const TDataSetNotifyEvent edicion = t->BeforeEdit;
        t->BeforeEdit = [this, edicion](TDataSet* d) {
            if (edicion) edicion(d);
            if (Table1->State() == dsInsert) Alta->LineaEditada(d);
        };
    }
}

void TFichaPersona::AntesDeGrabarLinea(TDataSet* Linea) {
    if (Table1->State() == dsInsert) Alta->LineaAGrabar(Linea);
    LineaBeforePost(Linea);
}

void TFichaPersona::QuitarGrupoDeFormacion() {
    Alta->QuitarConRegla(
        GATablas, [this] { rrhhpers::QuitarGrupoFormacion(HFormacion, GATablas, Propietario); });
}

void TFichaPersona::LineasAlNuevoCodigo() {
    const int codigo = CodigoActual();
    if (!Alta->Tomada() || Table1->State() != dsInsert || codigo < 1 ||
        QString::number(codigo) == ClaveAlta.trimmed())
        return;
    // The lines being typed: the stored ones go with the confirm that
    // stores the person (TAltaMaestro::ComprobarLineas).
    for (TTable* t : LineasFicha()) {
        if (t->State() != dsInsert) continue;
        if (TField* f = t->FindField(QStringLiteral("CodigoOperario")))
            f->setAsInteger(codigo);
        else if (TField* f = t->FindField(QStringLiteral("ClaveTabla")))
            f->setAsString(QString::number(codigo));
        // Numbered again among the new code's lines.
        for (const char* numero : {"NumeroContrato", "Linea"})
            if (TField* f = t->FindField(QLatin1String(numero)))
                AsignarSiguienteCodigo(ModuloDatos, t, f);
    }
    ClaveAlta = QString::number(codigo);
}

QString TFichaPersona::DescripcionLinea(TDataSet* Linea) const {
    QString pagina;
    const TDBGrid* rejilla = RejillaDe(Linea);
    for (QWidget* p = rejilla ? rejilla->parentWidget() : nullptr; p && pagina.isEmpty();
         p = p->parentWidget())
        if (auto* hoja = qobject_cast<TTabSheet*>(p)) pagina = hoja->Caption();
    QString clave;
    ClaveRegistro(ModuloDatos, Linea, clave);
    // The line is told by the last part of its key: its number, or its group.
    const QStringList partes = clave.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QString linea = partes.isEmpty() ? QString() : partes.last();
    return (pagina.isEmpty() ? Linea->objectName() : pagina) + QStringLiteral(", línea ") + linea;
}

bool TFichaPersona::AltaConLineasGrabadas() const {
    return Alta && Alta->ConLineas();
}

bool TFichaPersona::LineasDelAltaVigentes() {
    QStringList perdidas;
    try {
        perdidas = Alta->ComprobarLineas();
    } catch (const EAbort&) {
        // A check of the line stored again has said why.
        return false;
    } catch (const std::exception& e) {
        MensajeAdvertencia(
            AvisoFalloBase(QString::fromUtf8(textosmaestro::kTransaccionNoCompletada), e));
        return false;
    }
    if (perdidas.isEmpty()) return true;
    MensajeAdvertencia(
        QStringLiteral("¡ No se ha grabado el registro: otro usuario ha eliminado entretanto "
                       "líneas ya grabadas de este ") +
        Persona + QStringLiteral(" (") + perdidas.join(QStringLiteral("; ")) +
        QStringLiteral(") !. Se conservan y se grabarán de nuevo con el registro al confirmarlo "
                       "otra vez."));
    return false;
}
