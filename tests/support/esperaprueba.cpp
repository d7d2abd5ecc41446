#include "support/esperaprueba.h"

#include <unistd.h>

#include <QApplication>
#include <QtTest>

#include "db/database.h"
#include "gene/listings/geneprog.h"
#include "gene/session/geneinic.h"

const QString kPreguntaCancelarListado =
    QStringLiteral("El listado será cancelado a continuación. ¿Desea continuar con el listado?");
const QStringList kMensajesSentenciaDetenida{
    kPreguntaCancelarListado, kPreguntaCancelarListado,
    QStringLiteral("¡ La sentencia SQL ha sido cancelada por el usuario !")};
const QString kSentenciaSinFin = QStringLiteral(
    "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT count(*) FROM r");

bool ProgresoVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TfGENEPROG*>(w) && w->isVisible()) return true;
    return false;
}

EscEnProgreso::EscEnProgreso(int Veces) : veces_(Veces) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TfGENEPROG*>(w) && w->isVisible() && pulsaciones_ < veces_) {
                ++pulsaciones_;
                QTest::keyClick(w, Qt::Key_Escape);
            }
    });
    timer_.start(150);
}

namespace {
// The server's list of what runs is shared by every test program beside it,
// and others run recursive statements of their own: this program's
// connections carry a name of their own (libpq takes it from PGAPPNAME), and
// only they are counted.
const QByteArray kNombreAplicacion = [] {
    if (qEnvironmentVariableIsEmpty("PGAPPNAME"))
        qputenv("PGAPPNAME", "rhprueba-" + QByteArray::number(qint64(::getpid())));
    return qgetenv("PGAPPNAME");
}();
}  // namespace

int SentenciasRecursivasEnServidor() {
    if (!fGENEINIC || fGENEINIC->Database->engine() != Engine::Postgres) return 0;
    TDatabase otra;
    otra.Params() = fGENEINIC->Database->Params();
    otra.setDatabaseName(QStringLiteral("Observador"));
    otra.Open();
    return otra
        .Scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE state = 'active' AND "
                               "query LIKE '%RECURSIVE%' AND pid <> pg_backend_pid() AND "
                               "application_name = ?"),
                {QString::fromUtf8(kNombreAplicacion)})
        .toInt();
}
