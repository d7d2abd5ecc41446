// The import of delimited text files (see geneexpt.h).

#include <QStringList>
#include <exception>

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneexpt.h"
#include "gene/data/geneexpt_p.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genedeta.h"
#include "io/paths.h"
#include "io/textfile.h"

using namespace geneexpt;

namespace {

constexpr int kMaximoIncidencias = 1000;

// The fields of a dataset's key: a table's primary index (else its order),
// the key a live result writes by; none for other datasets.
QStringList NombresClave(TDataSet* ds) {
    if (auto* t = qobject_cast<TTable*>(ds)) {
        const int primario = t->IndexDefs().PrimaryIndex();
        if (primario >= 0) return t->IndexDefs().at(primario).FieldList();
        QStringList nombres;
        for (int i = 0; i < t->IndexFieldCount(); ++i) nombres << t->IndexFields(i)->FieldName();
        return nombres;
    }
    auto* q = qobject_cast<TQuery*>(ds);
    if (!q) return {};
    // The result's own names of the table's key columns.
    const TQuery::LiveTarget destino = q->Target();
    QStringList nombres;
    for (int i = 0; i < destino.columns.size() && i < ds->FieldCount(); ++i)
        if (destino.keyFields.contains(destino.columns.at(i), Qt::CaseInsensitive))
            nombres << ds->Fields()[i]->FieldName();
    return nombres;
}

// For a record refused because its key exists: the key's fields with the
// values the line gave them (read before the record is cancelled).
QString ClaveRepetida(TDataSet* ds, std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EDatabaseError& e) {
        if (e.code() != DbError::KeyViolation) return {};
    } catch (...) {
        return {};
    }
    return TextoClave(ds, NombresClave(ds));
}

class Importacion {
public:
    Importacion(TDataSet* tabla, TDataSet* detalle, const Delimitadores& d, bool nuevo,
                bool preguntar)
        : tabla_(tabla),
          detalle_(detalle),
          d_(d),
          nuevo_(nuevo),
          preguntar_(preguntar),
          K_(CamposClave(tabla)) {}

    QStringList incidencias;

    // Reads the lines; false when the user chose to stop.
    void Leer(const QStringList& lineas) {
        int inicio = 0;
        if (!lineas.isEmpty() && lineas[0].contains(kCabecera)) {
            cabecera_ = QString(lineas[0]).remove(kCabecera).split(d_.separador);
            inicio = 1;
            if (lineas.size() > 1 && lineas[1].contains(kLinea)) {
                cabeceraLinea_ = QString(lineas[1]).remove(kLinea).split(d_.separador);
                if (detalle_) inicio = 2;
            }
        }
        for (int n = inicio; n < lineas.size(); ++n)
            if (!Registro(lineas[n])) return;
    }

private:
    // Stores one line; false when the reading must stop.
    bool Registro(const QString& linea) {
        const QStringList piezas = linea.split(d_.separador);
        QStringList clave = piezas.mid(0, K_);
        const QString claveTexto = K_ == 0 ? piezas.value(0) : clave.join(QLatin1Char('/'));
        const bool principal = !detalle_ || piezas.value(K_) == QLatin1String("0");
        TDataSet* ds = principal ? tabla_ : detalle_;
        const QStringList& nombres = principal ? cabecera_ : cabeceraLinea_;
        QString error;
        QString repetida;  // the key of a record refused for it
        if (!principal && principalRechazado_) {
            // The lines of a refused record would belong to no record (or to
            // another one): listed, not stored, and no question for each.
            Incidencia(principal, claveTexto, piezas,
                       QStringLiteral("no se ha grabado el registro ") + claveTexto);
            return true;
        }
        if (principal) principalRechazado_ = true;  // until it is stored
        // By position, the pieces a record fills (the marker column included)
        // and the empty one after the last separator: a piece beyond them, or
        // text after the last separator, is a value lost or shifted (a
        // separator inside a value). Fewer pieces leave fields empty.
        const int llenas =
            principal ? tabla_->FieldCount() + (detalle_ ? 1 : 0) : detalle_->FieldCount();
        if (!nombres.isEmpty() && piezas.size() != nombres.size()) {
            // A piece too many or too few would shift every later value into
            // the wrong field.
            error = QStringLiteral("La línea tiene %1 campos y la cabecera %2")
                        .arg(piezas.size() - 1)
                        .arg(nombres.size() - 1);
        } else if (nombres.isEmpty() &&
                   (piezas.size() > llenas + 1 ||
                    (piezas.size() == llenas + 1 && !piezas.constLast().isEmpty()))) {
            error = QStringLiteral("La línea tiene %1 campos y el registro %2")
                        .arg(piezas.size() - 1)
                        .arg(llenas);
        } else {
            try {
                ds->Insert();
                try {
                    if (!nombres.isEmpty())
                        PorNombre(ds, nombres, piezas);
                    else if (principal)
                        PrincipalPorPosicion(piezas);
                    else
                        DetallePorPosicion(piezas);
                    ds->Post();
                } catch (...) {
                    repetida = ClaveRepetida(ds, std::current_exception());
                    ds->Cancel();
                    throw;
                }
                if (principal) principalRechazado_ = false;
                return true;
            } catch (...) {
                error = TextoExcepcion(std::current_exception()) + repetida;
            }
        }
        Incidencia(principal, claveTexto, piezas, error);
        if (!preguntar_ || seguir_) return true;
        QString pregunta;
        if (principal)
            pregunta = QStringLiteral("¡Imposible grabar el registro ") + claveTexto +
                       QStringLiteral("!. ¿Desea continuar?.") + kCRLF +
                       QStringLiteral("(Motivo: ") + error + u')';
        else
            pregunta = QStringLiteral("¡Imposible grabar el registro/línea ") + claveTexto + u'/' +
                       piezas.value(K_) + QStringLiteral("!. ¿Desea continuar?. (Motivo: ") +
                       error + u')';
        if (MensajeConfirmacion(pregunta) == QLatin1String("NO")) return false;
        seguir_ = true;
        return true;
    }

    void Incidencia(bool principal, const QString& claveTexto, const QStringList& piezas,
                    const QString& error) {
        if (incidencias.size() > kMaximoIncidencias) return;
        QString texto = QString::number(incidencias.size() + 1) + QStringLiteral(" - ");
        if (principal)
            texto += QStringLiteral("Error grabando el registro ") + claveTexto;
        else
            texto += QStringLiteral("Error grabando el registro/línea ") + claveTexto + u'/' +
                     piezas.value(K_);
        incidencias.append(texto + QStringLiteral(". Motivo: ") + error);
    }

    QString Valor(const QStringList& piezas, int i) const {
        return piezas.value(i).trimmed().replace(d_.saltoLinea, kCRLF);
    }

    void PorNombre(TDataSet* ds, const QStringList& nombres, const QStringList& piezas) {
        for (int i = 0; i < nombres.size() && !nombres[i].isEmpty(); ++i)
            if (TField* f = ds->FindField(nombres[i])) f->setAsString(Valor(piezas, i));
    }

    void PrincipalPorPosicion(const QStringList& piezas) {
        const int n = tabla_->FieldCount();
        if (!detalle_) {
            for (int i = 0; i < n; ++i) tabla_->Fields()[i]->setAsString(Valor(piezas, i));
            return;
        }
        if (!nuevo_)
            for (int i = 0; i < K_; ++i) tabla_->Fields()[i]->setAsString(Valor(piezas, i));
        for (int i = K_; i < n; ++i) tabla_->Fields()[i]->setAsString(Valor(piezas, i + 1));
    }

    void DetallePorPosicion(const QStringList& piezas) {
        for (int i = 0; i < detalle_->FieldCount(); ++i) {
            TField* f = detalle_->Fields()[i];
            if (f->ReadOnly() || (nuevo_ && i <= K_)) continue;
            f->setAsString(Valor(piezas, i));
        }
    }

    TDataSet* tabla_;
    TDataSet* detalle_;
    Delimitadores d_;
    bool nuevo_;
    bool preguntar_;
    int K_;
    bool seguir_ = false;
    bool principalRechazado_ = false;  // the last main line was not stored
    QStringList cabecera_;
    QStringList cabeceraLinea_;
};

}  // namespace

void ImportarASCII(TModuloDatos* ModuloDatos, TDataSet* Tabla, TDataSet* Detalle,
                   const QString& ArchivoDefecto, const QString& Opciones, QString& Archivo) {
    Archivo.clear();
    if (!Tabla || !Tabla->Active()) {
        MensajeAdvertencia(kInactiva);
        return;
    }
    const Delimitadores d = ElegirDelimitadores(ModuloDatos, Opciones);
    const bool sinDialogo = Opciones.contains(QLatin1String("SinDialogo"));
    QString archivo = ArchivoDefecto;
    bool elegido = true;
    if (!sinDialogo) {
        if (MensajeConfirmacion(QStringLiteral("¿Realmente desea importar registros desde un "
                                               "fichero de texto (ASCII)?")) == QLatin1String("NO"))
            return;
        TFileDialog* dlg = OpenDialog1(ModuloDatos);
        dlg->Filter.clear();
        dlg->FileName = ArchivoDefecto;
        elegido = dlg->Execute();
        archivo = dlg->FileName;
    }
    QString texto;
    if (!elegido || !ReadTextFile(NativePath(archivo), texto)) {
        MensajeAdvertencia(QStringLiteral("¡ El fichero ASCII origen no está preparado !"));
        return;
    }
    Archivo = archivo;
    if (texto.isEmpty()) return;
    QStringList lineas = texto.split(QLatin1Char('\n'));
    for (QString& l : lineas)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (!lineas.isEmpty() && lineas.constLast().isEmpty()) lineas.removeLast();

    TCursorEspera espera;
    Importacion imp(Tabla, Detalle, d,
                    Opciones.contains(QLatin1String("Nuevo")) && Detalle &&
                        !lineas.value(0).contains(kCabecera),
                    !sinDialogo);
    Tabla->setFiltered(false);
    struct Filtrar {
        TDataSet* ds;
        ~Filtrar() { ds->setFiltered(true); }
    } filtrar{Tabla};
    imp.Leer(lineas);
    if (imp.incidencias.isEmpty()) return;
    if (imp.incidencias.size() >= kMaximoIncidencias)
        imp.incidencias.append(QStringLiteral("¡Hay demasiados errores!"));
    if (MensajeConfirmacion(QStringLiteral(
            "Se han producido incidencias en el proceso. ¿Desea ver los detalles?")) ==
        QLatin1String("SI"))
        MostrarDetalle(imp.incidencias.join(kCRLF),
                       QStringLiteral("Incidencias producidas en la importación"), QString());
}

QString TextoClave(TDataSet* Datos, const QStringList& Campos) {
    QStringList partes;
    for (const QString& nombre : Campos)
        if (TField* f = Datos->FindField(nombre))
            partes << f->FieldName() + QStringLiteral(" = «") + f->AsString() + QStringLiteral("»");
    if (partes.isEmpty()) return {};
    return QStringLiteral(". Clave: ") + partes.join(QStringLiteral(", "));
}
