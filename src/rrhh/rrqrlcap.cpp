#include "rrhh/rrqrlcap.h"

#include <QSqlQuery>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"

namespace {
// The columns the two listings share, after their key; then the key's index.
QString Definicion(const QString& Clave, const QString& Indice) {
    QString d = QStringLiteral("Tabla Temporal\r\n") + Clave +
                QStringLiteral(
                    "/C/3/CodigoPuesto/ftString/10/\r\n"
                    "/C/4/Nombre/ftString/40/\r\n"
                    "/C/5/Descripcion/ftString/40/\r\n");
    for (int i = 0; i < 15; ++i)
        d += QStringLiteral("/C/%1/CapacitacionPuesto%2/ftInteger/0/\r\n").arg(i + 6).arg(i);
    return d + QStringLiteral("/I/1/<Primary>/") + Indice + QLatin1Char('/');
}
}  // namespace

QString TfRRQRLCAP::DefinicionTemporal() {
    return Definicion(QStringLiteral("/C/2/CodigoOperario/ftInteger/0/*\r\n"),
                      QStringLiteral("CodigoOPerario"));
}

QString TfRRQRLMAQ::DefinicionTemporal() {
    return Definicion(QStringLiteral("/C/1/ClaveClasificacion/ftString/1000/*\r\n"
                                     "/C/2/CodigoOperario/ftInteger/0/\r\n"),
                      QStringLiteral("ClaveClasificacion"));
}

namespace {
// Rows of a statement prepared once for the connection; an engine error
// reads as no rows, or passes to the caller when Propagar.
template <typename Fila>
void Leer(TDatabase* base, const QString& sql, const QVariantList& valores, Fila fila,
          bool Propagar = false) {
    try {
        QSqlQuery& q = base->Prepared(sql);
        // An empty text is bound as such: a null one would be NULL and
        // compare with nothing (the empty lower bound of a code range).
        for (int i = 0; i < valores.size(); ++i) {
            QVariant v = valores[i];
            if (v.typeId() == QMetaType::QString && v.toString().isNull())
                v = QString(QLatin1String(""));
            q.bindValue(i, v);
        }
        base->Run(q);
        while (q.next()) fila(q);
        q.finish();
    } catch (const EDatabaseError&) {
        if (Propagar) throw;
    }
}
}  // namespace

TfRRQRLCAP::TfRRQRLCAP(TForm* Dialogo, QWidget* owner)
    : TfRRQRLCAP(QStringLiteral("fRRQRLCAP"), DefinicionTemporal(),
                 QStringLiteral("MatrizCapacitacion"), QStringLiteral("MATRCAPA"), Dialogo, owner) {
}

TfRRQRLCAP::TfRRQRLCAP(const QString& nombre, const QString& Definicion,
                       const QString& ComponenteMatriz, const QString& NombreMatriz, TForm* Dialogo,
                       QWidget* owner)
    : TInformeListado(owner, nombre) {
    QuickReport->Page.Orientation = poLandscape;
    QuickReport->Page.LeftMargin = QuickReport->Page.RightMargin = 5;
    Personal = TablaFuente(QStringLiteral("Personal"), QStringLiteral("PERSONAL"));
    // One of the form's own tables: a company that never kept a matrix gets
    // it made empty when the form opens, as every form's tables, and its
    // employees then print with no levels.
    TablaMatriz = TablaFuente(ComponenteMatriz, NombreMatriz);
    PageHeader->setHeight(80);
    Detail = DetalleColumnas({
        {"Operario", "CodigoOperario", "QRDBText1", 55},
        {"Nombre", "Nombre", "QRDBText2", 160},
        {"Puesto", "CodigoPuesto", "QRDBText3", 55},
        {"Descripción", "Descripcion", "QRDBText4", 130},
    });
    Detail->setHeight(18);
    int left = 400;
    for (int i = 0; i < 15; ++i, left += 42) {
        ET[i] = Titulo(QStringLiteral("ET%1").arg(i + 1), QString(), left, 40);
        QFont letra = ET[i]->Font();
        letra.setPointSize(8);
        ET[i]->setFont(letra);
        const QString campo = QStringLiteral("CapacitacionPuesto%1").arg(i);
        Columna(Detail, QStringLiteral("QRDB") + campo, campo, left, 36);
        if (auto* t = qobject_cast<TQRDBText*>(FindComponent(QStringLiteral("QRDB") + campo))) {
            t->setAlignment(taRightJustify);
            // Zero and empty print blank.
            t->setMask(QStringLiteral("#;-#;#"));
        }
    }
    auto* raya = new TQRShape(this, Detail);
    raya->setObjectName(QStringLiteral("QRShape1"));
    raya->setShape(qrsHorLine);
    raya->SetBounds(0, 16, left, 2);
    Preparar(Dialogo, Definicion, true);
}

QString TfRRQRLCAP::TituloListado() const {
    return QStringLiteral("Listado de Capacitación para Puestos de Trabajo. ");
}

TDataSet* TfRRQRLCAP::TablaControl() const {
    return Personal;
}

QStringList TfRRQRLCAP::PuestosRango(const QString& Desde, const QString& Hasta) {
    // Ordered: the runs take the codes fifteen by fifteen, and no engine
    // keeps the key order without being asked.
    QStringList codigos;
    Leer(fGENEINIC->Database,
         QStringLiteral("SELECT Codigo FROM PUESTO WHERE Codigo >= ? AND Codigo <= ? ORDER BY "
                        "Codigo"),
         {Desde, Hasta}, [&](QSqlQuery& q) { codigos << q.value(0).toString(); });
    return codigos;
}

QStringList TfRRQRLCAP::Columnas() {
    return PuestosRango(DesdePuesto, HastaPuesto);
}

QList<QPair<QString, int>> TfRRQRLCAP::Matriz(int CodigoOperario) {
    QList<QPair<QString, int>> filas;
    Leer(
        Personal->Database(),
        QStringLiteral("SELECT CodigoPuesto, Capacitacion FROM MATRCAPA WHERE CodigoOperario = ?"),
        {CodigoOperario},
        [&](QSqlQuery& q) {
            filas.append({q.value(0).toString(), q.value(1).toInt()});
        },
        true);
    return filas;
}

bool TfRRQRLCAP::MismoCodigo(const QString& a, const QString& b) const {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

void TfRRQRLCAP::RellenarTemporal() {
    const QStringList columnas = Columnas().mid(0, 15);
    // Each caption on its own: a short run leaves only its last ones empty.
    for (int i = 0; i < 15; ++i)
        ET[i]->setCaption(i < columnas.size() ? Caption(columnas[i]) : QString());

    Personal->setIndexName(QString());
    Personal->CancelRange();
    Personal->SetRange({DesdeOperario}, {HastaOperario});
    TField* eCodigo = Personal->FieldByName(QStringLiteral("CodigoOperario"));
    TField* eNombre = Personal->FieldByName(QStringLiteral("Nombre"));
    TField* tClave = Temporal->FindField(QStringLiteral("ClaveClasificacion"));
    TField* tCodigo = Temporal->FieldByName(QStringLiteral("CodigoOperario"));
    TField* tNombre = Temporal->FieldByName(QStringLiteral("Nombre"));
    TField* tPuesto = Temporal->FieldByName(QStringLiteral("CodigoPuesto"));
    TField* tDescripcion = Temporal->FieldByName(QStringLiteral("Descripcion"));
    TField* tCapacitacion[15];
    for (int i = 0; i < 15; ++i)
        tCapacitacion[i] = Temporal->FieldByName(QStringLiteral("CapacitacionPuesto%1").arg(i));
    TDatabase* base = Personal->Database();
    // The employee's current position is his history's highest line; a
    // candidate's rows of the same number are not his.
    const QString sqlPuesto = DialectoActual().limitSelect(
        QStringLiteral("SELECT CodigoPuesto, Descripcion FROM HPUESTO WHERE NombreTabla = "
                       "'PERSONAL' AND CodigoOperario = ? ORDER BY Linea DESC"),
        1);

    TRellenoListado relleno(Temporal, QStringLiteral("Listado de Operarios"));
    for (Personal->First(); !Personal->Eof(); Personal->Next()) {
        const int codigo = eCodigo->AsInteger();
        if (!relleno.Seguir(QStringLiteral("Operario: ") + QString::number(codigo))) break;
        if (!OperarioSeleccionado(codigo, Activos, NoActivos, RangosGruposAnalisis)) continue;
        QString puesto, descripcion;
        Leer(base, sqlPuesto, {codigo}, [&](QSqlQuery& q) {
            puesto = q.value(0).toString();
            descripcion = q.value(1).toString();
        });
        const QString nombre = eNombre->AsString();
        relleno.Anadir();
        if (tClave) tClave->setAsString(Clave(nombre, codigo));
        tCodigo->setAsInteger(codigo);
        tNombre->setAsString(nombre);
        tPuesto->setAsString(puesto);
        tDescripcion->setAsString(descripcion);
        // The line first: one that cannot be stored is left out silently.
        if (!relleno.Grabar()) continue;
        // Then its capability cells, posted again. Only levels of 1 and above
        // are written: 0, a negative level and a column with no matrix row
        // print blank. A failure, a matrix that cannot be read included, is
        // reported and the line keeps what was stored above; a lost
        // connection or a lost batch stops the listing.
        const QString aviso =
            QStringLiteral("Error al grabar el operario ") + QString::number(codigo);
        try {
            const QList<QPair<QString, int>> matriz = Matriz(codigo);
            Temporal->Edit();
            for (const auto& [columna, nivel] : matriz) {
                for (int i = 0; i < columnas.size(); ++i) {
                    if (!MismoCodigo(columnas[i], columna)) continue;
                    if (nivel >= 1)
                        tCapacitacion[i]->setAsInteger(nivel);
                    else
                        tCapacitacion[i]->Clear();
                    break;
                }
            }
        } catch (const EDatabaseError& e) {
            if (Temporal->State() == dsEdit) Temporal->Cancel();
            if (e.code() == DbError::ConnectionLost) throw;
            MensajeAdvertencia(aviso);
            continue;
        } catch (...) {
            if (Temporal->State() == dsEdit) Temporal->Cancel();
            MensajeAdvertencia(aviso);
            continue;
        }
        if (!relleno.Grabar()) MensajeAdvertencia(aviso);
    }
    Personal->CancelRange();
}

TfRRQRLMAQ::TfRRQRLMAQ(TForm* Dialogo, QWidget* owner)
    : TfRRQRLCAP(QStringLiteral("fRRQRLMAQ"), DefinicionTemporal(), QStringLiteral("MatrizMaquina"),
                 QStringLiteral("MATRMAQU"), Dialogo, owner) {
    // The machines' levels print as stored.
    for (int i = 0; i < 15; ++i)
        if (auto* t = qobject_cast<TQRDBText*>(
                FindComponent(QStringLiteral("QRDBCapacitacionPuesto%1").arg(i))))
            t->setMask(QString());
}

QString TfRRQRLMAQ::TituloListado() const {
    return QStringLiteral("Listado de Capacitación para Máquina. ");
}

QString TfRRQRLMAQ::ClaveClasificacion(const QString& Nombre, int CodigoOperario) {
    return Nombre + QChar(1) +
           QStringLiteral("%1").arg(qint64(CodigoOperario) + 2147483648LL, 10, 10, QChar('0'));
}

QString TfRRQRLMAQ::Clave(const QString& Nombre, int CodigoOperario) const {
    return ClaveClasificacion(Nombre, CodigoOperario);
}

QStringList TfRRQRLMAQ::Columnas() {
    QStringList codigos;
    Leer(fGENEINIC->Database,
         QStringLiteral("SELECT Codigo FROM MAQUINA WHERE Codigo >= ? AND Codigo <= ? ORDER BY "
                        "Codigo"),
         {DesdeMaquina, HastaMaquina},
         [&](QSqlQuery& q) { codigos << QString::number(q.value(0).toInt()); });
    return codigos;
}

QString TfRRQRLMAQ::Caption(const QString& Codigo) const {
    if (ListarCodigo) return Codigo;
    if (!ListarDescripcion) return QString();
    QString descripcion;
    Leer(fGENEINIC->Database, QStringLiteral("SELECT Descripcion FROM MAQUINA WHERE Codigo = ?"),
         {Codigo.toInt()}, [&](QSqlQuery& q) { descripcion = q.value(0).toString(); });
    return descripcion;
}

QList<QPair<QString, int>> TfRRQRLMAQ::Matriz(int CodigoOperario) {
    QList<QPair<QString, int>> filas;
    Leer(
        Personal->Database(),
        QStringLiteral("SELECT CodigoMaquina, Capacitacion FROM MATRMAQU WHERE CodigoOperario = ?"),
        {CodigoOperario},
        [&](QSqlQuery& q) {
            filas.append({QString::number(q.value(0).toInt()), q.value(1).toInt()});
        },
        true);
    return filas;
}
