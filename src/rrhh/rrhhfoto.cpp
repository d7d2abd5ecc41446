#include "rrhh/rrhhfoto.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

#include "db/dataset.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menus.h"

TFotoFicha::TFotoFicha(QWidget* Formulario, QWidget* Padre, const QString& NombreTabla,
                       TDataSet* Tabla, TAltaMaestro* Alta, std::function<bool()> Reservar,
                       std::function<QString()> Clave)
    : QObject(Formulario),
      nombreTabla_(NombreTabla),
      tabla_(Tabla),
      alta_(Alta),
      reservar_(std::move(Reservar)),
      clave_(std::move(Clave)) {
    PanelFoto = new TPanel(Padre);
    PanelFoto->setObjectName(QStringLiteral("PanelFoto"));
    PanelFoto->setFixedSize(120, 140);
    PanelFoto->setAcceptDrops(true);
    PanelFoto->installEventFilter(this);
    auto* foto = new QVBoxLayout(PanelFoto);
    foto->setContentsMargins(2, 2, 2, 2);
    Foto = new TImage(PanelFoto);
    Foto->setObjectName(QStringLiteral("Foto"));
    Foto->setStretch(true);
    foto->addWidget(Foto);
    PopupMenuFoto = new TPopupMenu(Formulario);
    PopupMenuFoto->setObjectName(QStringLiteral("PopupMenuFoto"));
    BorrarlaImgen1 = new TMenuItem(PopupMenuFoto->Items(), QStringLiteral("BorrarlaImgen1"),
                                   QStringLiteral("&Borrar la Imágen"));
    BorrarlaImgen1->OnClick = [this](QObject*) { Borrar(); };
    Foto->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Foto, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenuFoto->Popup(Foto->mapToGlobal(p)); });
}

bool TFotoFicha::Soltar(const QStringList& Archivos) {
    if (Archivos.isEmpty() || !reservar_()) return false;
    const QString clave = clave_();
    if (clave.isEmpty()) return false;
    // A new record's photo goes with his cancel.
    const bool alta = tabla_->State() == dsInsert && alta_;
    if (alta) alta_->AdjuntoGrabado();
    const bool grabada =
        GrabarObjetoBLOB(ModuloDatos, nombreTabla_, clave, Foto, Archivos.first(), leido());
    if (alta) alta_->AnotarAdjuntos();
    return grabada;
}

void TFotoFicha::Borrar() {
    Foto->Clear();
    if (!reservar_()) return;
    const QString clave = clave_();
    // Refused (a record another user changed or deleted), the stored photo
    // is shown again.
    if (!clave.isEmpty() &&
        !GrabarObjetoBLOB(ModuloDatos, nombreTabla_, clave, Foto, QString(), leido()))
        Mostrar();
}

TRowAsRead TFotoFicha::leido() const {
    // A new record has none: his key is held instead.
    auto* tabla = qobject_cast<TTable*>(tabla_);
    return tabla ? tabla->RowAsRead() : TRowAsRead();
}

void TFotoFicha::Mostrar() {
    MostrarImagenBLOB(ModuloDatos, nombreTabla_, clave_(), QStringLiteral("Foto"), Foto);
}

bool TFotoFicha::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelFoto) {
        if (event->type() == QEvent::DragEnter) {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (e->mimeData()->hasUrls()) e->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            QStringList archivos;
            for (const QUrl& u : e->mimeData()->urls())
                if (u.isLocalFile()) archivos << u.toLocalFile();
            Soltar(archivos);
            e->acceptProposedAction();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
