#include "gene/dialogs/geneacer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QVBoxLayout>

#include "gene/data/genemodu.h"
#include "gene/data/genetrad.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"

QString TextoVersion() {
    QString version = QStringLiteral("Versión");
    if (!IdiomaActual.isEmpty() && ModuloDatos)
        Traducir(ModuloDatos, QStringLiteral("Versión"), QString(), QString(), version);
    const QString ejecutable = QCoreApplication::instance()
                                   ? QCoreApplication::applicationFilePath()
                                   : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QDateTime fecha = QFileInfo(ejecutable).lastModified();
    return version + QLatin1Char(' ') + QLatin1String(kVersionPrograma) + QStringLiteral(" - (") +
           fecha.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) + QLatin1Char(')');
}

TfGENEACER::TfGENEACER(QWidget* owner) : TForm(owner) {
    setName(QStringLiteral("fGENEACER"));
    setCaption(QStringLiteral("Acerca de"));
    setBorderStyle(bsDialog);
    setPosition(poScreenCenter);

    auto* rejilla = new QGridLayout(this);
    rejilla->setContentsMargins(0, 0, 0, 0);
    rejilla->setSpacing(0);
    auto marco = [this](const char* nombre) {
        auto* p = new TPanel(this);
        p->setObjectName(QLatin1String(nombre));
        p->setColor(clBlack);
        return p;
    };
    Panel1 = marco("Panel1");
    Panel2 = marco("Panel2");
    Panel3 = marco("Panel3");
    Panel4 = marco("Panel4");
    Panel1->setFixedHeight(8);
    Panel2->setFixedHeight(8);
    Panel3->setFixedWidth(8);
    Panel4->setFixedWidth(8);
    rejilla->addWidget(Panel1, 0, 0, 1, 3);
    rejilla->addWidget(Panel3, 1, 0);
    rejilla->addWidget(Panel4, 1, 2);
    rejilla->addWidget(Panel2, 2, 0, 1, 3);

    auto* centro = new QWidget(this);
    auto* caja = new QVBoxLayout(centro);
    caja->setContentsMargins(24, 18, 24, 14);
    Producto = new TLabel(centro);
    Producto->setObjectName(QStringLiteral("Producto"));
    Producto->setAlignment(taCentered);
    QFont grande = Producto->font();
    grande.setPointSize(18);
    grande.setBold(true);
    Producto->setFont(grande);
    Version = new TLabel(centro, TextoVersion());
    Version->setObjectName(QStringLiteral("Version"));
    Version->setAlignment(taCentered);
    pbCerrar = new TButton(centro, QStringLiteral("&Cerrar"));
    pbCerrar->setObjectName(QStringLiteral("pbCerrar"));
    pbCerrar->setDefault(true);
    pbCerrar->setCancel(true);
    pbCerrar->setModalResult(mrOk);
    caja->addWidget(Producto);
    caja->addSpacing(8);
    caja->addWidget(Version);
    caja->addSpacing(12);
    caja->addWidget(pbCerrar, 0, Qt::AlignHCenter);
    rejilla->addWidget(centro, 1, 1);
}
