#include "gene/dialogs/genecalc.h"

#include <QGridLayout>
#include <QVBoxLayout>
#include <cmath>

#include "db/dberror.h"
#include "db/sysutils.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/data/genesist.h"
#include "ui/controls.h"

TfGENECALC* fGENECALC = nullptr;

namespace {

constexpr double kPesetasPorEuro = 166.386;

bool EsAritmetica(const QString& Op) {
    return Op == QLatin1String("Sumar") || Op == QLatin1String("Restar") ||
           Op == QLatin1String("Multiplicar") || Op == QLatin1String("Dividir");
}

bool LeerNumero(const QString& Texto, double& Valor) {
    return !Texto.isEmpty() && TryStrToFloat(Texto, Valor);
}

QString Formatear(double Valor) {
    return FormatFloat(QStringLiteral("0.##"), Valor);
}

}  // namespace

// ---------------------------------------------------------------- rules

void TCalculadora::Pulsar(const QString& Operacion) {
    QString op = Operacion;
    if (op == QLatin1String("Apagar")) {
        ErrorAlCerrar = Display == QLatin1String("Error");
        if (ErrorAlCerrar) Display = QStringLiteral("0");
        return;
    }
    if (op == QLatin1String("PonerACero")) {
        Pendiente.clear();
        PrimerOperando.clear();
        Display = QStringLiteral("0");
        return;
    }
    if (Display == QLatin1String("Error")) Display = QStringLiteral("0");
    const bool seguido = EsAritmetica(op) && EsAritmetica(Pendiente);
    if (seguido) op = QStringLiteral("Igual") + op;

    if (op == QLatin1String("PuntoDecimal")) {
        if (!Display.contains(QLatin1Char(','))) Display += QLatin1Char(',');
        return;
    }
    if (EsAritmetica(op)) {
        Pendiente = op;
        return;
    }
    if (op == QLatin1String("Euro") || op == QLatin1String("Pesetas")) {
        double v = 0;
        if (LeerNumero(Display, v)) {
            Display =
                Formatear(op == QLatin1String("Euro") ? v / kPesetasPorEuro : v * kPesetasPorEuro);
            PrimerOperando.clear();
            Pendiente = op;
        } else {
            Display = QStringLiteral("0");
            Pendiente.clear();
            PrimerOperando.clear();
        }
        return;
    }
    if (op.startsWith(QLatin1String("Igual"))) {
        if (EsAritmetica(Pendiente)) {
            double a = 0, b = 0;
            bool ok = LeerNumero(PrimerOperando, a) && LeerNumero(Display, b);
            double r = 0;
            if (ok) {
                if (Pendiente == QLatin1String("Sumar"))
                    r = a + b;
                else if (Pendiente == QLatin1String("Restar"))
                    r = a - b;
                else if (Pendiente == QLatin1String("Multiplicar"))
                    r = a * b;
                else if (b == 0)
                    ok = false;
                else
                    r = a / b;
            }
            if (!ok || !std::isfinite(r)) {
                Display = QStringLiteral("Error");
                Pendiente.clear();
                PrimerOperando.clear();
                return;
            }
            Display = Formatear(r);
        }
        PrimerOperando.clear();
        const QString siguiente = op.mid(5);
        Pendiente = siguiente.isEmpty() ? QStringLiteral("Igual") : siguiente;
        return;
    }
    if (op.size() == 1 && op[0].isDigit()) {
        if (Pendiente.isEmpty()) {
            if (Display == QLatin1String("0"))
                Display = op;
            else
                Display += op;
        } else if (Pendiente == QLatin1String("Igual")) {
            PrimerOperando.clear();
            Display = op;
            Pendiente.clear();
        } else if (!PrimerOperando.isEmpty()) {
            Display += op;
        } else {
            // The first number stays visible until the second one is begun.
            PrimerOperando = Display;
            Display = op;
        }
    }
}

void TCalculadora::Retroceso() {
    if (Display == QLatin1String("Error")) Display = QStringLiteral("0");
    Display.chop(1);
    if (Display.isEmpty()) Display = QStringLiteral("0");
}

QString TCalculadora::OperacionDeCaracter(QChar c) {
    if (c.isDigit() && c.unicode() < 128) return QString(c);
    switch (c.unicode()) {
        case '+':
            return QStringLiteral("Sumar");
        case '-':
            return QStringLiteral("Restar");
        case '*':
        case 'x':
        case 'X':
            return QStringLiteral("Multiplicar");
        case '/':
            return QStringLiteral("Dividir");
        case '=':
        case '\r':
            return QStringLiteral("Igual");
        case ',':
        case '.':
            return QStringLiteral("PuntoDecimal");
        case 'C':
        case 'c':
            return QStringLiteral("PonerACero");
        case 'O':
        case 'o':
        case 27:
            return QStringLiteral("Apagar");
        case 'E':
        case 'e':
            return QStringLiteral("Euro");
        case 'P':
        case 'p':
            return QStringLiteral("Pesetas");
        default:
            return QString();
    }
}

double TCalculadora::Valor() const {
    double v = 0;
    return LeerNumero(Display, v) ? v : 0;
}

bool TCalculadora::ResultadoErroneo() const {
    return ErrorAlCerrar || Display == QLatin1String("Error");
}

// ---------------------------------------------------------------- window

TfGENECALC::TfGENECALC(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENECALC"));
    setCaption(QStringLiteral("Calculadora"));
    setBorderStyle(bsDialog);
    setPosition(poScreenCenter);
    setKeyPreview(true);
    if (!fGENECALC) fGENECALC = this;

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(4, 4, 4, 4);
    raiz->setSpacing(4);
    PanelDisplay = new TPanel(this);
    PanelDisplay->setObjectName(QStringLiteral("PanelDisplay"));
    PanelDisplay->setBevelOuter(bvLowered);
    auto* filaDisplay = new QVBoxLayout(PanelDisplay);
    filaDisplay->setContentsMargins(6, 4, 6, 4);
    Display = new TLabel(PanelDisplay, QStringLiteral("0"));
    Display->setObjectName(QStringLiteral("Display"));
    Display->setAlignment(taRight);
    QFont negrita = Display->font();
    negrita.setBold(true);
    Display->setFont(negrita);
    filaDisplay->addWidget(Display);
    raiz->addWidget(PanelDisplay);

    struct DefTecla {
        const char* operacion;
        const char* titulo;
        int fila, columna;
    };
    static const DefTecla kTeclas[] = {
        {"Apagar", "Off", 0, 0},  {"PonerACero", "C", 0, 1}, {"Euro", "Euro", 0, 2},
        {"Pesetas", "Pts", 0, 3}, {"7", "7", 1, 0},          {"8", "8", 1, 1},
        {"9", "9", 1, 2},         {"Dividir", "/", 1, 3},    {"4", "4", 2, 0},
        {"5", "5", 2, 1},         {"6", "6", 2, 2},          {"Multiplicar", "x", 2, 3},
        {"1", "1", 3, 0},         {"2", "2", 3, 1},          {"3", "3", 3, 2},
        {"Restar", "-", 3, 3},    {"0", "0", 4, 0},          {"PuntoDecimal", ",", 4, 1},
        {"Igual", "=", 4, 2},     {"Sumar", "+", 4, 3},
    };
    auto* teclado = new QGridLayout;
    teclado->setSpacing(3);
    for (const DefTecla& t : kTeclas) {
        auto* panel = new TPanel(this, QString::fromUtf8(t.titulo));
        panel->setObjectName(QStringLiteral("fn") + QLatin1String(t.operacion));
        panel->setTag(1);
        panel->setMinimumSize(40, 28);
        teclado->addWidget(panel, t.fila, t.columna);
    }
    raiz->addLayout(teclado);

    OnCreate = [this](QObject*) {
        for (QObject* c : Components())
            if (auto* p = qobject_cast<TPanel*>(c); p && p->Tag() == 1)
                p->OnClick = [this](QObject* Sender) { PanelClick(Sender); };
        if (fGENEINIC) {
            AplicarAspecto(fGENEINIC, this);
            TraducirFormulario(fGENEINIC, this, QString());
        }
    };
    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnActivate = [this](QObject*) { update(); };
    OnKeyPress = [this](QObject*, QChar& Key) { FormKeyPress(Key); };
    OnClose = [this](QObject*, TCloseAction& Action) {
        FormClose();
        Action = caHide;
    };
}

TfGENECALC::~TfGENECALC() {
    if (fGENECALC == this) fGENECALC = nullptr;
}

TPanel* TfGENECALC::Tecla(const QString& Operacion) const {
    return qobject_cast<TPanel*>(FindComponent(QStringLiteral("fn") + Operacion));
}

void TfGENECALC::mostrar() {
    Display->setCaption(Estado.Display);
}

void TfGENECALC::AsignarDisplay(const QString& Texto) {
    Estado.Display = Texto;
    Estado.ErrorAlCerrar = false;
    mostrar();
}

void TfGENECALC::PanelClick(QObject* Sender) {
    auto* panel = qobject_cast<TPanel*>(Sender);
    if (!panel) return;
    panel->setBevelOuter(bvLowered);
    panel->repaint();
    Esperar(75);
    panel->setBevelOuter(bvRaised);
    const QString op = panel->objectName().mid(2);
    Estado.Pulsar(op);
    mostrar();
    if (op == QLatin1String("Apagar")) Close();
}

void TfGENECALC::FormKeyPress(QChar& Key) {
    if (Key == QChar(8)) {
        Estado.Retroceso();
        mostrar();
        Key = QChar();
        return;
    }
    const QString op = TCalculadora::OperacionDeCaracter(Key);
    Key = QChar();
    if (TPanel* panel = op.isEmpty() ? nullptr : Tecla(op)) PanelClick(panel);
}

void TfGENECALC::FormClose() {
    ResultadoValido = !Estado.ResultadoErroneo();
    Resultado = ResultadoValido ? Estado.Valor() : 0;
}

double CalculadoraModal(const QString& Display) {
    if (!fGENECALC) NewForm<TfGENECALC>();
    fGENECALC->AsignarDisplay(Display);
    fGENECALC->ShowModal();
    if (!fGENECALC->ResultadoValido) Abort();
    return fGENECALC->Resultado;
}
