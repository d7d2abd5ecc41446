#include "nomina/preshora.h"

#include <QColorDialog>
#include <QPainter>
#include <array>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/session/genecomp.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

TfPRESHORA* fPRESHORA = nullptr;

namespace {

const char* const kHoras[] = {"HoraInicio1", "HoraFinal1", "HoraInicio2", "HoraFinal2"};

// A day shift's end of 00:00 after a later start is that day's midnight.
double FinalDiurno(double inicio, double final) {
    return final == 0 && inicio > 0 ? 1 : final;
}

double Intervalo(bool nocturno, double inicio, double final) {
    if (!nocturno) return FinalDiurno(inicio, final) - inicio;
    if (inicio == 0 && final == 0) return 0;
    if (final < inicio || (final == inicio && inicio != 0)) return final - inicio + 1;
    return final - inicio;
}

// The time of day of a time field as a fraction of a day; 0 when empty.
double FraccionDia(TField* campo) {
    if (!campo || campo->IsNull()) return 0;
    const QTime hora = campo->AsDateTime().time();
    return hora.isValid() ? hora.msecsSinceStartOfDay() / 86400000.0 : 0;
}

// The four times of the record's intervals, in the order of kHoras.
std::array<double, 4> Tramos(TDataSet* Horario) {
    std::array<double, 4> t{};
    for (int i = 0; i < 4; ++i) t[i] = FraccionDia(Horario->FieldByName(QLatin1String(kHoras[i])));
    return t;
}

}  // namespace

double NumeroHorasHorario(const QString& TipoTurno, double Inicio1, double Final1, double Inicio2,
                          double Final2) {
    const bool nocturno = TipoTurno == QLatin1String("Nocturno");
    return (Intervalo(nocturno, Inicio1, Final1) + Intervalo(nocturno, Inicio2, Final2)) * 24;
}

bool TramosHorarioValidos(const QString& TipoTurno, double Inicio1, double Final1, double Inicio2,
                          double Final2) {
    if (TipoTurno == QLatin1String("Nocturno")) return true;
    return FinalDiurno(Inicio1, Final1) >= Inicio1 && FinalDiurno(Inicio2, Final2) >= Inicio2;
}

TfPRESHORA::TfPRESHORA(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fPRESHORA"), QStringLiteral("Maestro de Horarios"),
                      QStringLiteral("HORARIO")) {
    UsarMarcoNomina();
    NombreTablaMaestro.clear();
    TextoErrorModificacion = QString::fromUtf8(textosmaestro::kNoSePuedeGrabar);
    TextoErrorAlta = QString::fromUtf8(textosmaestro::kRegistroNoGrabado);
    AltaTrasGrabarAlta = true;
    RefrescarTrasEliminacionMultiple = false;
    NombreCampoClave = QStringLiteral("Numero");
    ClaveExistente = ceRechazar;

    GrupoAnalisis = new TTable(this);
    GrupoAnalisis->setObjectName(QStringLiteral("GrupoAnalisis"));
    GrupoAnalisis->setTableName(QStringLiteral("GRANALIS"));

    // Persistent fields, named as the framework expects ("Hora" fields are
    // times of day).
    auto campo = [this](const char* nombre, TFieldType tipo, int tamano = 0) {
        TField* f = Table1->AddField(QLatin1String(nombre), tipo, tamano);
        f->setObjectName(QStringLiteral("Table1") + QLatin1String(nombre));
        return f;
    };
    campo("Numero", ftSmallint);
    campo("Descripcion", ftString, 15);
    campo("TipoHorario", ftString, 10);
    campo("TipoTurno", ftString, 10);
    for (const char* hora : kHoras) campo(hora, ftDateTime);
    campo("HoraInicioParada", ftDateTime);
    campo("HoraFinalParada", ftDateTime);
    for (const char* cifra : {"NumeroHoras", "TiempoSuplementario", "MinReqTiempoSuplementario"})
        campo(cifra, ftFloat)->setDisplayFormat(QStringLiteral("#,###.##"));
    campo("Agrupacion", ftString, 20);
    campo("GrupoAnalisis", ftString, 10);
    campo("Color", ftInteger);
    TField* lookup = Table1->AddField(QStringLiteral("LUGrupoAnalisis"), ftString, 40, fkLookup);
    lookup->setObjectName(QStringLiteral("Table1LUGrupoAnalisis"));
    lookup->setKeyFields(QStringLiteral("GrupoAnalisis"));
    lookup->setLookupDataSet(GrupoAnalisis);
    lookup->setLookupKeyFields(QStringLiteral("Codigo"));
    lookup->setLookupResultField(QStringLiteral("Descripcion"));

    AgregarColumna(QStringLiteral("Numero"), QStringLiteral("Número"), 49);
    AgregarColumna(QStringLiteral("Descripcion"), QStringLiteral("Descripción"));
    AgregarColumna(QStringLiteral("TipoHorario"), QStringLiteral("Tipo Horario"))
        ->setPickList(
            {QStringLiteral("Fijo"), QStringLiteral("Variable"), QStringLiteral("Automatico")});
    AgregarColumna(QStringLiteral("TipoTurno"), QStringLiteral("TipoTurno"), 73)
        ->setPickList({QStringLiteral("Nocturno"), QStringLiteral("Diurno")});
    AgregarColumna(QStringLiteral("HoraInicio1"), QStringLiteral("Inicio 1"));
    AgregarColumna(QStringLiteral("HoraFinal1"), QStringLiteral("Final 1"));
    AgregarColumna(QStringLiteral("HoraInicio2"), QStringLiteral("Inicio 2"));
    AgregarColumna(QStringLiteral("HoraFinal2"), QStringLiteral("Final 2"));
    AgregarColumna(QStringLiteral("HoraInicioParada"), QStringLiteral("I.Parada"));
    AgregarColumna(QStringLiteral("HoraFinalParada"), QStringLiteral("F.Parada"));
    AgregarColumna(QStringLiteral("NumeroHoras"), QStringLiteral("Número Horas"));
    AgregarColumna(QStringLiteral("TiempoSuplementario"), QStringLiteral("T.Suplementario"));
    AgregarColumna(QStringLiteral("MinReqTiempoSuplementario"), QStringLiteral("Mín. Req. T.S."));
    AgregarColumna(QStringLiteral("Agrupacion"), QStringLiteral("Agrupación"));
    AgregarColumna(QStringLiteral("LUGrupoAnalisis"), QStringLiteral("G. Análisis"))
        ->setButtonStyle(cbsEllipsis);
    AgregarColumna(QStringLiteral("Color"), QStringLiteral("Color"), 78);
    resize(900, 400);

    DBGrid1->OnDrawColumnCell = [this](QObject* s, const QRect& r, int c, TColumn* col, int st) {
        DBGrid1DrawColumnCell(s, r, c, col, st);
    };
    ElegirColor = [this](int& Color) {
        const QColor elegido = QColorDialog::getColor(ColorQt(Color), this);
        if (!elegido.isValid()) return false;
        Color = ColorDesdeQt(elegido);
        return true;
    };
    fPRESHORA = this;
}

TfPRESHORA::~TfPRESHORA() {
    if (fPRESHORA == this) fPRESHORA = nullptr;
}

void TfPRESHORA::FormCreate(QObject* Sender) {
    TMaestroRejilla::FormCreate(Sender);
    // Typed as the system's time mask; the control layer translates it.
    for (const char* hora : kHoras)
        Table1->FieldByName(QLatin1String(hora))->setEditMask(QStringLiteral("!90:00:00;1; "));
    for (const char* hora : {"HoraInicioParada", "HoraFinalParada"})
        Table1->FieldByName(QLatin1String(hora))->setEditMask(QStringLiteral("!90:00:00;1; "));
}

void TfPRESHORA::Table1NewRecord(TDataSet* DataSet) {
    TMaestroRejilla::Table1NewRecord(DataSet);
    Table1->FieldByName(QStringLiteral("TipoHorario"))->setAsString(QStringLiteral("Fijo"));
    Table1->FieldByName(QStringLiteral("TipoTurno"))->setAsString(QStringLiteral("Diurno"));
}

void TfPRESHORA::Table1BeforePost(TDataSet* DataSet) {
    TMaestroRejilla::Table1BeforePost(DataSet);
    if (!ValidarHorario(true)) Abort();
}

void TfPRESHORA::CalcularNumeroHoras() {
    const auto t = Tramos(Table1);
    Table1->FieldByName(QStringLiteral("NumeroHoras"))
        ->setAsFloat(NumeroHorasHorario(
            Table1->FieldByName(QStringLiteral("TipoTurno"))->AsString(), t[0], t[1], t[2], t[3]));
}

bool TfPRESHORA::ValidarColumna() {
    return ValidarHorario(false);
}

bool TfPRESHORA::ValidarHorario(bool AntesDeGrabar) {
    const TDataSetState estado = Table1->State();
    if (estado != dsEdit && estado != dsInsert) return true;
    if (Table1->FieldByName(QStringLiteral("Numero"))->Text().isEmpty()) return true;
    if (ActiveControl() == pbCancelar) return true;
    TColumn* columna = DBGrid1->Columns().Items(DBGrid1->SelectedIndex());
    const QString campo = columna ? columna->FieldName() : QString();
    // Hours: on every post, and on leaving any of the four time columns.
    bool horas = AntesDeGrabar;
    for (const char* hora : kHoras) horas = horas || campo == QLatin1String(hora);
    if (horas) {
        const auto t = Tramos(Table1);
        // Negative hours would be stored otherwise.
        if (!TramosHorarioValidos(Table1->FieldByName(QStringLiteral("TipoTurno"))->AsString(),
                                  t[0], t[1], t[2], t[3])) {
            MensajeAdvertencia(QStringLiteral(
                "¡ La hora final de un tramo es anterior a la inicial ! Un turno que pasa de la "
                "medianoche es \"Nocturno\"."));
            return false;
        }
        CalcularNumeroHoras();
    }
    if (AntesDeGrabar || campo == QLatin1String("LUGrupoAnalisis")) {
        const QString grupo = Table1->FieldByName(QStringLiteral("GrupoAnalisis"))->AsString();
        if (!grupo.isEmpty() && !(GrupoAnalisis->Active() && GrupoAnalisis->FindKey({grupo}))) {
            MensajeAdvertencia(QStringLiteral("El Grupo de Análisis introducido no es válido"));
            return false;
        }
    }
    return ValidarListasRejilla();
}

void TfPRESHORA::DBGrid1DblClick(QObject*) {
    if (Table1->State() != dsEdit && Table1->State() != dsInsert) {
        try {
            Table1->Edit();
        } catch (const std::exception&) {
            return;
        }
    }
    TColumn* columna = DBGrid1->Columns().Items(DBGrid1->SelectedIndex());
    if (!columna) return;
    if (columna->FieldName() == QLatin1String("LUGrupoAnalisis")) {
        QVariant clave;
        BuscarRegistro(GrupoAnalisis, 0, clave);
        const QVariantList valores = clave.toList();
        if (!valores.isEmpty())
            Table1->FieldByName(QStringLiteral("GrupoAnalisis"))
                ->setAsString(valores[0].toString());
    } else if (columna->FieldName() == QLatin1String("Color")) {
        TField* color = Table1->FieldByName(QStringLiteral("Color"));
        int valor = color->AsInteger();
        if (ElegirColor && ElegirColor(valor)) color->setAsInteger(valor);
    }
}

void TfPRESHORA::DBGrid1DrawColumnCell(QObject*, const QRect& Rect, int, TColumn* Column, int) {
    if (!Column || Column->FieldName() != QLatin1String("Color")) return;
    QPainter* lienzo = DBGrid1->Canvas();
    TField* color = Table1->FieldByName(QStringLiteral("Color"));
    // A schedule without a colour keeps the cell as drawn.
    if (!lienzo || !color || color->IsNull()) return;
    lienzo->fillRect(Rect, ColorQt(color->AsInteger()));
    lienzo->drawText(Rect.adjusted(2, 2, 0, 0), int(Qt::AlignLeft | Qt::AlignTop),
                     color->DisplayText());
}

void RegistrarTfPRESHORA() {
    RegisterFormClass<TfPRESHORA>(QStringLiteral("TfPRESHORA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfPRESHORA();
    return true;
}();
}  // namespace
