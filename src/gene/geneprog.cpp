#include "gene/geneprog.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>

#include "gene/genecomp.h"

namespace {
constexpr int kAnchoMinimo = 300;
constexpr int kMargen = 24;
}  // namespace

TfGENEPROG::TfGENEPROG(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("fGENEPROG"));
    setFont(FuenteSistema(QStringLiteral("MS Sans Serif"), 8));
    EditProgreso = new QLineEdit(this);
    EditProgreso->setObjectName(QStringLiteral("EditProgreso"));
    EditProgreso->setReadOnly(true);
    EditProgreso->setFrame(false);
    EditProgreso->setAlignment(Qt::AlignCenter);
    QFont negrita = EditProgreso->font();
    negrita.setBold(true);
    EditProgreso->setFont(negrita);
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(8, 8, 8, 8);
    fila->addWidget(EditProgreso);
    connect(EditProgreso, &QLineEdit::textChanged, this, [this] { EditProgresoChange(); });
}

void TfGENEPROG::AsignarTexto(const QString& Texto) {
    EditProgreso->setText(Texto);
    EditProgresoChange();
}

QString TfGENEPROG::Texto() const {
    return EditProgreso->text();
}

void TfGENEPROG::EditProgresoChange() {
    const int ancho = QFontMetrics(EditProgreso->font()).horizontalAdvance(EditProgreso->text());
    resize(qMax(kAnchoMinimo, ancho + 2 * kMargen), sizeHint().height());
}
