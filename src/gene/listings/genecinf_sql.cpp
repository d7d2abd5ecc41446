#include "gene/listings/genecinf_sql.h"

#include <QRegularExpression>
#include <QWidget>

#include "gene/genetext.h"
#include "ui/component.h"
#include "ui/form.h"

QStringList ElementosListaConstantes(const QString& Lista) {
    QString texto = Lista;
    if (texto.endsWith(QLatin1Char(','))) texto.chop(1);
    texto = ReemplazarTextoRepetido(QStringLiteral(", "), QStringLiteral(","), texto);
    texto = ReemplazarTextoRepetido(QStringLiteral(" ,"), QStringLiteral(","), texto);
    QStringList elementos;
    for (const QString& e : texto.split(QLatin1Char(',')))
        if (!e.isEmpty()) elementos << e;
    return elementos;
}

QString ListaConstantesSQL(const QString& Lista) {
    QStringList elementos = ElementosListaConstantes(Lista);
    for (QString& e : elementos) e = QLatin1Char('"') + e + QLatin1Char('"');
    return elementos.join(QLatin1Char(','));
}

QString ListaConstantesEntrecomilladas(const QString& Lista) {
    QStringList elementos = ElementosListaConstantes(Lista);
    if (elementos.isEmpty()) return QStringLiteral("''");
    for (QString& e : elementos) e = Entrecomillar(e);
    return elementos.join(QLatin1Char(','));
}

void SustituirVariablesMultiples(QString& SQL, const QStringList& Variables,
                                 const QStringList& Valores) {
    for (qsizetype i = 0; i < Variables.size(); ++i) {
        const QString& variable = Variables.at(i);
        if (!variable.startsWith(QLatin1Char('*'))) continue;
        const QRegularExpression token(QLatin1Char(':') + QRegularExpression::escape(variable) +
                                       QStringLiteral("(?![\\w])"));
        const QString lista = ListaConstantesEntrecomilladas(Valores.value(i));
        // A replacement text is taken literally: no "\1" or "$" reading.
        QString resultado;
        qsizetype desde = 0;
        auto it = token.globalMatch(SQL);
        while (it.hasNext()) {
            const auto m = it.next();
            resultado += SQL.mid(desde, m.capturedStart() - desde) + lista;
            desde = m.capturedEnd();
        }
        SQL = resultado + SQL.mid(desde);
    }
}

void CentrarControl(TControlBase* Control, const QString& Modo) {
    if (!Control) return;
    int ancho = 0;
    int alto = 0;
    QWidget* padre = Control->Widget()->parentWidget();
    auto* formulario = dynamic_cast<TForm*>(Control);
    if (formulario && formulario->FormStyle() == fsMDIChild) padre = nullptr;
    if (padre) {
        if (auto* p = dynamic_cast<TControlBase*>(padre)) {
            ancho = p->Width();
            alto = p->Height();
        } else {
            ancho = padre->width();
            alto = padre->height();
        }
    } else if (TForm* principal = MainForm(); principal && principal != Control) {
        ancho = principal->Width();
        alto = principal->Height();
    } else {
        return;
    }
    if (Modo == QLatin1String("Centro") || Modo == QLatin1String("Centro-Horizontal"))
        Control->setLeft((ancho - Control->Width()) / 2);
    if (Modo == QLatin1String("Centro") || Modo == QLatin1String("Centro-Vertical"))
        Control->setTop((alto - Control->Height()) / 2);
    if (Modo == QLatin1String("Derecha")) Control->setLeft(ancho - Control->Width() - 4);
}
