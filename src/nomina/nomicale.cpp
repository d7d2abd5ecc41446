#include "nomina/nomicale.h"

#include <QBoxLayout>
#include <QPainter>
#include <QSqlQuery>

#include "db/database.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/table.h"
#include "db/tablecursor.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesist.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusc.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfNOMICALE* fNOMICALE = nullptr;

namespace {

const char* const kYaExiste = "¡ Está intentando grabar un calendario que ya existe !";
const char* const kNoActualizado = "¡ Calendario no actualizado !";
const char* const kCodigoCalendario = "Código de Calendario";
const int kPrimerAno = 1;
const int kUltimoAno = 9999;
const int kNaranja = 33023;
const int kAzulCielo = 15780518;

QString Texto(const char* t) {
    return QString::fromUtf8(t);
}

QString SiNo(bool v) {
    return v ? QStringLiteral("SI") : QStringLiteral("NO");
}

QDate FechaLeida(const QVariant& v) {
    // SQLite hands over ISO text, whose first ten characters are the day.
    if (v.typeId() == QMetaType::QString) {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        if (d.isValid()) return d;
    }
    return TTableCursor::fromStorage(v, ftDateTime).toDateTime().date();
}

const QStringList& Titulos() {
    static const QStringList t{QStringLiteral("Lunes"),     QStringLiteral("Martes"),
                               QStringLiteral("Miércoles"), QStringLiteral("Jueves"),
                               QStringLiteral("Viernes"),   QStringLiteral("Sábado"),
                               QStringLiteral("Domingo")};
    return t;
}

}  // namespace

// ---------------------------------------------------------------------------
// Shared by the calendar windows

TDatabase* BaseCalendarios() {
    TDatabase* base = BaseDatosSelector(QStringLiteral("Database"));
    if (!base) throw EDatabaseError(DbError::General, QStringLiteral("Database"));
    return base;
}

// From midnight of the first day to the last second of the last, so that a
// day stored with a time still falls inside.
QVariantList LimitesDias(TDatabase* Base, const QDate& Desde, const QDate& Hasta) {
    const bool sqlite = Base->engine() == Engine::Sqlite;
    return {TTableCursor::toStorage(QDateTime(Desde, QTime(0, 0)), ftDateTime, sqlite),
            TTableCursor::toStorage(QDateTime(Hasta, QTime(23, 59, 59)), ftDateTime, sqlite)};
}

void MoverContador(int& Valor, int Paso) {
    Valor = std::clamp(Valor + Paso, 1, 9999);
}

void MoverMes(int& Ano, int& Mes, int Paso) {
    const int mes = Mes + Paso;
    if (mes >= 1 && mes <= 12) {
        Mes = mes;
    } else if (mes > 12 && Ano < 9999) {
        Mes = 1;
        ++Ano;
    } else if (mes < 1 && Ano > 1) {
        Mes = 12;
        --Ano;
    }
}

void CrearContador(QWidget* Panel, QBoxLayout* Fila, const char* Etiqueta, const char* NombreEdit,
                   const char* NombreSpin, int Ancho, TEdit*& Edit, TSpinButton*& Spin) {
    Fila->addWidget(new TLabel(Panel, QString::fromUtf8(Etiqueta)));
    Edit = new TEdit(Panel);
    Edit->setObjectName(QLatin1String(NombreEdit));
    Edit->setReadOnly(true);
    Edit->setFixedWidth(Ancho);
    Fila->addWidget(Edit);
    Spin = new TSpinButton(Panel);
    Spin->setObjectName(QLatin1String(NombreSpin));
    Spin->setFixedHeight(24);
    Fila->addWidget(Spin);
}

TSpeedButton* BotonPaleta(TPanel* Panel, const char* Nombre, const char* Caption, int Color,
                          const char* Hint, int Grupo) {
    auto* b = new TSpeedButton(Panel, QString::fromUtf8(Caption));
    b->setObjectName(QLatin1String(Nombre));
    b->setHint(QString::fromUtf8(Hint));
    b->setFlat(true);
    b->setGroupIndex(Grupo);
    QFont negrita = b->font();
    negrita.setBold(true);
    b->setFont(negrita);
    b->setStyleSheet(QStringLiteral("QToolButton { color: %1; } QToolButton:checked { "
                                    "background: #c8c8c8; border: 1px inset gray; }")
                         .arg(ColorToQt(Color).name()));
    b->setFixedSize(28, 24);
    Panel->layout()->addWidget(b);
    return b;
}

TPanel* CrearPanelTiposDia(QWidget* Panel, TSpeedButton*& Trabajados, TSpeedButton*& Laborables,
                           TSpeedButton*& Festivos, TSpeedButton*& Vacaciones) {
    auto* paleta = new TPanel(Panel);
    paleta->setObjectName(QStringLiteral("PanelTiposDia"));
    auto* tipos = new QHBoxLayout(paleta);
    tipos->setContentsMargins(2, 2, 2, 2);
    tipos->setSpacing(1);
    Trabajados =
        BotonPaleta(paleta, "pbTrabajados", "Tr", clBlue, "Marcar/Desmarcar días TRABAJADOS", 1);
    Laborables =
        BotonPaleta(paleta, "pbLaborables", "La", clGreen, "Marcar/Desmarcar días LABORABLES", 2);
    Festivos = BotonPaleta(paleta, "pbFestivos", "Fe", clRed, "Marcar/Desmarcar días FESTIVOS", 3);
    Vacaciones = BotonPaleta(paleta, "pbVacaciones", "Va", clMaroon,
                             "Marcar/Desmarcar días de VACACIONES", 4);
    return paleta;
}

TDBLookupComboBox* CrearSelectorHorario(QWidget* Panel, QBoxLayout* Fila, TDataSource* Horarios) {
    auto* etiqueta = new TLabel(Panel, QStringLiteral("Horario:"));
    etiqueta->setObjectName(QStringLiteral("LabelHorario"));
    Fila->addWidget(etiqueta);
    auto* selector = new TDBLookupComboBox(Panel);
    selector->setObjectName(QStringLiteral("EditNumeroHorario"));
    selector->setListSource(Horarios);
    selector->setKeyField(QStringLiteral("Numero"));
    selector->setListField(QStringLiteral("Descripcion"));
    selector->setFixedWidth(120);
    Fila->addWidget(selector);
    return selector;
}

TStringGrid* CrearRejillaMes(QWidget* Padre, int Ancho, int Alto) {
    auto* rejilla = new TStringGrid(Padre);
    rejilla->setObjectName(QStringLiteral("SGrid"));
    rejilla->setColCount(7);
    rejilla->setRowCount(7);
    rejilla->setFixedCols(0);
    rejilla->setFixedRows(1);
    rejilla->setDefaultColWidth(Ancho);
    rejilla->setDefaultRowHeight(Alto);
    rejilla->setDefaultDrawing(false);
    rejilla->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rejilla->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rejilla->setFixedSize(7 * Ancho + 4, 7 * Alto + 4);
    return rejilla;
}

TDiaCalendario DiaLeido(const QSqlQuery& Consulta) {
    TDiaCalendario d;
    d.Trabajado = Consulta.value(1).toString();
    d.Festivo = Consulta.value(2).toString();
    d.Vacaciones = Consulta.value(3).toString();
    d.Puente = Consulta.value(4).toString();
    return d;
}

void DibujarTituloDia(QPainter* Lienzo, const QRect& Celda, const QFont& Base,
                      const QString& Titulo) {
    Lienzo->fillRect(Celda, ColorToQt(clBtnFace));
    QFont letra = Base;
    letra.setPointSize(8);
    letra.setBold(true);
    Lienzo->setFont(letra);
    Lienzo->setPen(ColorToQt(clBlue));
    Lienzo->drawText(Celda.adjusted(2, 2, 0, 0), int(Qt::AlignLeft | Qt::AlignTop), Titulo);
}

void DibujarNumeroDia(QPainter* Lienzo, const QRect& Celda, const QFont& Base, const QDate& Fecha,
                      bool Negrita) {
    QFont letra = Base;
    letra.setBold(Negrita);
    Lienzo->setFont(letra);
    Lienzo->setPen(Fecha == QDate::currentDate() ? ColorToQt(clRed) : QColor(Qt::black));
    Lienzo->drawText(Celda.adjusted(2, 2, 0, 0), int(Qt::AlignLeft | Qt::AlignTop),
                     QString::number(Fecha.day()));
}

QVector<int> CeldasMes(int Ano, int Mes) {
    QVector<int> celdas(42, 0);
    const QDate primero(Ano, Mes, 1);
    if (!primero.isValid()) return celdas;
    const int w = primero.dayOfWeek();  // Monday 1 .. Sunday 7
    const int n = primero.daysInMonth();
    for (int i = 1; i <= 42; ++i) {
        const int dia = i - w + 1;
        if (i >= w && dia <= n) celdas[i - 1] = dia;
    }
    return celdas;
}

void RellenarRejillaMes(TStringGrid* Rejilla, int Ano, int Mes) {
    for (int c = 0; c < 7; ++c) Rejilla->setCells(c, 0, Titulos()[c]);
    const QVector<int> celdas = CeldasMes(Ano, Mes);
    for (int i = 0; i < 42; ++i)
        Rejilla->setCells(i % 7, 1 + i / 7, celdas[i] ? QString::number(celdas[i]) : QString());
    Rejilla->viewport()->update();
}

QString AbreviaturaSituacion(const QString& Situacion) {
    static const QHash<QString, QString> abreviaturas{
        {QStringLiteral("Alta"), QStringLiteral("Alta")},
        {QStringLiteral("No Retribuido Cotizable"), QStringLiteral("N.R.C.")},
        {QStringLiteral("No Retribuido No Cotizable"), QStringLiteral("N.R.N.C.")},
        {QStringLiteral("Enfermedad"), QStringLiteral("Enf.")},
        {QStringLiteral("Accidente Trabajo"), QStringLiteral("A.T.")},
        {QStringLiteral("Maternidad"), QStringLiteral("Mat.")},
        {QStringLiteral("Maternidad Parcial"), QStringLiteral("M.P.")},
        {QStringLiteral("Regulacion Empleo"), QStringLiteral("R.E.")}};
    return abreviaturas.value(Situacion);
}

bool CalendarioMuestraMarcas() {
    return EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE")) ||
           EsProgramaEnEjecucion(QStringLiteral("KORVAND.EXE"));
}

bool CalendarioMuestraHorario() {
    return !EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"));
}

void DibujarMarcasDia(QPainter* Lienzo, const QRect& Celda, const TDiaCalendario& Dia, bool Marcas,
                      bool Horario) {
    Lienzo->save();
    QFont letra = MakeFont(QStringLiteral("Small Fonts"), 6);
    letra.setBold(true);
    Lienzo->setFont(letra);
    const int alto = QFontMetrics(letra).height();
    auto marca = [&](int x, const char* texto, int color) {
        Lienzo->setPen(ColorToQt(color));
        Lienzo->drawText(QRect(Celda.left() + x, Celda.top() + 20, 24, alto),
                         int(Qt::AlignLeft | Qt::AlignTop), QLatin1String(texto));
    };
    auto derecha = [&](int y, const QString& texto) {
        Lienzo->setPen(ColorToQt(kAzulCielo));
        Lienzo->drawText(QRect(Celda.left(), Celda.top() + y, Celda.width() - 3, alto),
                         int(Qt::AlignRight | Qt::AlignTop), texto);
    };
    const QLatin1String si("SI");
    if (Marcas) {
        if (Dia.Trabajado == si) marca(26, "Tr", clBlue);
        if (Dia.Festivo == si)
            marca(38, "Fe", clRed);
        else if (Dia.Festivo == QLatin1String("NO"))
            marca(38, "La", clGreen);
        if (Dia.Vacaciones == si) marca(50, "Va", clMaroon);
        if (Dia.Puente == si) marca(62, "Pu", kNaranja);
        if (Dia.Permiso == si) marca(74, "Pe", clFuchsia);
        const QString situacion = AbreviaturaSituacion(Dia.Situacion);
        if (!situacion.isEmpty()) derecha(12, situacion);
    }
    if (Horario && Dia.NumeroHorario != 0) derecha(3, QString::number(Dia.NumeroHorario));
    Lienzo->restore();
}

// ---------------------------------------------------------------------------
// Company calendars

TDiasCalendario LeerDiasCalendario(int Codigo, const QDate& Desde, const QDate& Hasta) {
    TDiasCalendario dias;
    TDatabase* base = BaseCalendarios();
    QVariantList valores{Codigo};
    valores << LimitesDias(base, Desde, Hasta);
    QSqlQuery q = base->Execute(
        QStringLiteral(
            "SELECT Fecha, EsDiaTrabajado, EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, "
            "NumeroHorario FROM CALENDAR WHERE Codigo = ? AND Fecha >= ? AND Fecha <= ?"),
        valores);
    while (q.next()) {
        TDiaCalendario d = DiaLeido(q);
        d.NumeroHorario = q.value(5).toInt();
        dias.insert(FechaLeida(q.value(0)), d);
    }
    return dias;
}

TDiaCalendario DiaGenerado(const QDate& Fecha, int NumeroHorario) {
    TDiaCalendario d;
    const int w = Fecha.dayOfWeek();
    d.Festivo = SiNo(w == 7);
    d.Trabajado = SiNo(w <= 5);
    d.Vacaciones = SiNo(Fecha.month() == 8);
    if (Fecha.month() == 8) d.Trabajado = QStringLiteral("NO");
    d.Puente = QStringLiteral("NO");
    const bool libre = d.Vacaciones == QLatin1String("SI") || d.Festivo == QLatin1String("SI");
    d.NumeroHorario = libre ? 0 : NumeroHorario;
    return d;
}

namespace {

// A year without dates (0, negative, past 9999) has no day a calendar can
// hold: generating it would loop over an invalid date for ever, and its
// bounds are no dates the engine takes. Warns and answers false for one.
bool AnoCalendarioValido(int Ano) {
    if (Ano >= kPrimerAno && Ano <= kUltimoAno) return true;
    MensajeAdvertencia(QStringLiteral("¡ El año %1 no es válido !. Indique un año entre %2 y %3.")
                           .arg(Ano)
                           .arg(kPrimerAno)
                           .arg(kUltimoAno));
    return false;
}

}  // namespace

bool GenerarAnoCalendario(int Codigo, int Ano, int NumeroHorario) {
    if (!AnoCalendarioValido(Ano)) return false;
    TDatabase* base = BaseCalendarios();
    const QDate desde(Ano, 1, 1);
    const QDate hasta(Ano, 12, 31);
    // The first day that exists already ends the generation there.
    QVariantList valores{Codigo};
    valores << LimitesDias(base, desde, hasta);
    const QVariant primera = base->Scalar(
        QStringLiteral("SELECT MIN(Fecha) FROM CALENDAR WHERE Codigo = ? AND Fecha >= ? AND "
                       "Fecha <= ?"),
        valores);
    const QDate existente = primera.isNull() ? QDate() : FechaLeida(primera);
    {
        TGuardaTransaccion transaccion(fGENEINIC, base);
        // Days written one by one outside a transaction would leave half a
        // year behind a refusal.
        if (!transaccion.Activa()) {
            MensajeAdvertencia(TextoTransaccionNoIniciada());
            return false;
        }
        QSqlQuery& alta = base->Prepared(
            QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, EsDiaTrabajado, EsDiaFestivo, "
                           "EsDiaVacaciones, EsDiaPuente, NumeroHorario) VALUES (?, ?, ?, ?, ?, "
                           "?, ?)"));
        for (QDate d = desde; d <= hasta && (!existente.isValid() || d < existente);
             d = d.addDays(1)) {
            const TDiaCalendario dia = DiaGenerado(d, NumeroHorario);
            alta.bindValue(0, Codigo);
            alta.bindValue(1, LimitesDias(base, d, d).first());
            alta.bindValue(2, dia.Trabajado);
            alta.bindValue(3, dia.Festivo);
            alta.bindValue(4, dia.Vacaciones);
            alta.bindValue(5, dia.Puente);
            alta.bindValue(6, dia.NumeroHorario);
            base->Run(alta);
        }
        // A year not committed was not generated.
        if (!transaccion.Confirmar()) return false;
    }
    if (existente.isValid()) {
        MensajeAdvertencia(Texto(kYaExiste));
        return false;
    }
    return true;
}

bool EliminarAnoCalendario(int Codigo, int Ano) {
    if (!AnoCalendarioValido(Ano)) return false;
    TDatabase* base = BaseCalendarios();
    QVariantList valores{Codigo};
    valores << LimitesDias(base, QDate(Ano, 1, 1), QDate(Ano, 12, 31));
    base->Execute(
        QStringLiteral("DELETE FROM CALENDAR WHERE Codigo = ? AND Fecha >= ? AND Fecha <= ?"),
        valores);
    return true;
}

bool CopiarAnoCalendario(int Origen, int Ano, int Desde, int Hasta) {
    if (!AnoCalendarioValido(Ano)) return false;
    TDatabase* base = BaseCalendarios();
    const QVariantList limites = LimitesDias(base, QDate(Ano, 1, 1), QDate(Ano, 12, 31));
    // A year the source does not hold would only empty the targets.
    const QString sinDias = QStringLiteral("¡ El calendario ") + QString::number(Origen) +
                            QStringLiteral(" no tiene días del año ") + QString::number(Ano) +
                            QStringLiteral(" !. No se ha copiado nada.");
    if (base->Scalar(QStringLiteral("SELECT COUNT(*) FROM CALENDAR WHERE Codigo = ? AND Fecha >= ? "
                                    "AND Fecha <= ?"),
                     QVariantList{Origen} << limites)
            .toInt() == 0) {
        MensajeAdvertencia(sinDias);
        return false;
    }
    bool bien = true;
    for (int destino = Desde; destino <= Hasta; ++destino) {
        if (destino == Origen) continue;
        MostrarVentanaProgreso(
            QString(), QString(),
            QStringLiteral("Creando calendario destino...") + QString::number(destino));
        bool copiado = false;
        try {
            TGuardaTransaccion transaccion(fGENEINIC, base);
            // The target's delete alone, outside a transaction, would lose
            // its year.
            if (!transaccion.Activa()) {
                MensajeAdvertencia(TextoTransaccionNoIniciada());
                return false;
            }
            base->Execute(QStringLiteral("DELETE FROM CALENDAR WHERE Codigo = ? AND Fecha >= ? "
                                         "AND Fecha <= ?"),
                          QVariantList{destino} << limites);
            // The target is a number in the select list: written, not bound,
            // since PostgreSQL cannot type a parameter there.
            copiado = base->Execute(QStringLiteral("INSERT INTO CALENDAR (Codigo, Fecha, "
                                                   "EsDiaTrabajado, EsDiaFestivo, "
                                                   "EsDiaVacaciones, EsDiaPuente, NumeroHorario) "
                                                   "SELECT %1, Fecha, EsDiaTrabajado, "
                                                   "EsDiaFestivo, EsDiaVacaciones, EsDiaPuente, "
                                                   "NumeroHorario FROM CALENDAR WHERE Codigo = ? "
                                                   "AND Fecha >= ? AND Fecha <= ?")
                                        .arg(destino),
                                    QVariantList{Origen} << limites)
                          .numRowsAffected() > 0;
            // Another program deleted the source's year since it was
            // checked: the guard rolls the target's delete back.
            if (copiado && !transaccion.Confirmar()) bien = false;
        } catch (const std::exception& e) {
            // The target keeps its year as it was; a busy database or a lost
            // connection would refuse the next targets too.
            if (BaseNoDisponible(e)) {
                MensajeAdvertencia(MotivoError(e));
                return false;
            }
            MensajeAdvertencia(Texto(kNoActualizado));
            bien = false;
            continue;
        }
        if (!copiado) {
            // Told once the target's transaction is over; the next targets
            // would copy nothing either.
            MensajeAdvertencia(sinDias);
            return false;
        }
    }
    return bien;
}

// ---------------------------------------------------------------------------
// The window

TfNOMICALE::TfNOMICALE(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fNOMICALE"));
    setCaption(QStringLiteral("Maestro de Calendarios"));
    setFormStyle(fsMDIChild);
    setKeyPreview(true);

    Calendario = new TTable(this);
    Calendario->setObjectName(QStringLiteral("Calendario"));
    Calendario->setTableName(QStringLiteral("CALENDAR"));
    Horario = new TTable(this);
    Horario->setObjectName(QStringLiteral("Horario"));
    Horario->setTableName(QStringLiteral("HORARIO"));
    DSHorario = new TDataSource(this);
    DSHorario->setObjectName(QStringLiteral("DSHorario"));
    DSHorario->setDataSet(Horario);

    MainMenu1 = new TMainMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Ficha1 = new TMenuItem(MainMenu1->Items(), QStringLiteral("Ficha1"), QStringLiteral("&Ficha"));
    Ficha1->setGroupIndex(3);
    auto item = [this](const char* nombre, const char* caption, int tecla, bool activo) {
        auto* i = new TMenuItem(Ficha1, QLatin1String(nombre), QString::fromUtf8(caption),
                                tecla ? ShortCut(tecla) : QKeySequence());
        i->setEnabled(activo);
        return i;
    };
    IralPaneldeControl1 = item("IralPaneldeControl1", "&Ir al Panel de Control", VK_F3, true);
    item("N2", "-", 0, true);
    Agregar = item("Agregar", "&Agregar", VK_F5, true);
    Eliminar1 = item("Eliminar1", "&Eliminar", VK_F6, true);
    item("EliminacionMultiple1", "Eliminación &Múltiple...", 0, false);
    item("N5", "-", 0, true);
    Buscar = item("Buscar", "&Buscar Registro...", VK_F11, true);
    item("FiltrarRegistros1", "&Filtrar Registros...", 0, false);
    item("CopiarRegistrosaOtrasEmpresas1", "Copiar &Registros a Otras Empresas...", 0, false);
    TMenuItem* ficha = item("ListarFichaActual1", "&Listar Ficha Actual", 0, false);
    new TMenuItem(ficha, QStringLiteral("FormatoOriginal1"), QStringLiteral("&Formato Original"));
    new TMenuItem(ficha, QStringLiteral("APaginaCompleta1"), QStringLiteral("&A Página Completa"));
    item("N6", "-", 0, true);
    item("CancelarEdicion1", "&Cancelar Edición", 0, false);
    item("ListadoProgramable1", "Listado &Programable...", 0, false);
    item("N7", "-", 0, true);
    item("DocumentacionElectronica1", "&Documentación Electrónica...", 0, false);
    item("N1", "-", 0, true);
    Cerrar1 = item("Cerrar1", "C&errar", 0, true);
    setMenu(MainMenu1);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    PanelControl->setFocusPolicy(Qt::StrongFocus);
    // Two rows: the counters and the schedule; the palette and the buttons.
    auto* filas = new QVBoxLayout(PanelControl);
    filas->setContentsMargins(4, 4, 4, 4);
    auto* control = new QHBoxLayout;
    auto* botones = new QHBoxLayout;
    filas->addLayout(control);
    filas->addLayout(botones);
    CrearContador(PanelControl, control, "Calendario:", "EditCalendario", "SpinCalendario", 50,
                  EditCalendario, SpinCalendario);
    CrearContador(PanelControl, control, "Ejercicio:", "EditEjercicio", "SpinEjercicio", 50,
                  EditEjercicio, SpinEjercicio);
    CrearContador(PanelControl, control, "Mes:", "EditMes", "SpinMes", 90, EditMes, SpinMes);

    EditNumeroHorario = CrearSelectorHorario(PanelControl, control, DSHorario);
    control->addStretch(1);

    PanelTiposDia =
        CrearPanelTiposDia(PanelControl, pbTrabajados, pbLaborables, pbFestivos, pbVacaciones);
    pbPuente = BotonPaleta(PanelTiposDia, "pbPuente", "Pu", kNaranja,
                           "Marcar/Desmarcar días de PUENTE", 5);
    botones->addWidget(PanelTiposDia);
    botones->addStretch(1);

    auto boton = [&](const char* nombre, const char* caption, const char* hint) {
        auto* b = new TBitBtn(PanelControl, QString::fromUtf8(caption));
        b->setObjectName(QLatin1String(nombre));
        b->setHint(QString::fromUtf8(hint));
        botones->addWidget(b);
        return b;
    };
    pbDuplicar = boton("pbDuplicar", "", "Duplicar el calendario del año actual en otro nuevo");
    pbCopiaMasiva = boton("pbCopiaMasiva", "", "Duplicación masiva del calendario");
    pbNuevo = boton("pbNuevo", "&Nuevo", "Crear un Nuevo calendario");
    pbEliminar = boton("pbEliminar", "&Eliminar", "Eliminar el calendario actual");
    pbSalir = boton("pbSalir", "&Salir", "");

    SGrid = CrearRejillaMes(this, 75, 32);
    auto* rejilla = new QHBoxLayout;
    rejilla->addWidget(SGrid);
    rejilla->addStretch(1);
    raiz->addLayout(rejilla, 1);
    raiz->addWidget(PanelControl);
    resize(std::max(7 * 75 + 40, PanelControl->sizeHint().width() + 16), 7 * 32 + 150);

    OnCreate = [this](QObject* s) { FormCreate(s); };
    OnActivate = [this](QObject*) { update(); };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    SpinCalendario->OnUpClick = [this](QObject* s) { SpinCalendarioUpClick(s); };
    SpinCalendario->OnDownClick = [this](QObject* s) { SpinCalendarioDownClick(s); };
    SpinEjercicio->OnUpClick = [this](QObject* s) { SpinEjercicioUpClick(s); };
    SpinEjercicio->OnDownClick = [this](QObject* s) { SpinEjercicioDownClick(s); };
    SpinMes->OnUpClick = [this](QObject* s) { SpinMesUpClick(s); };
    SpinMes->OnDownClick = [this](QObject* s) { SpinMesDownClick(s); };
    // "La" and "Fe": exactly one down; "Va" and "Pu": at most one.
    pbLaborables->OnClick = [this](QObject*) {
        pbLaborables->setDown(true);
        pbFestivos->setDown(false);
    };
    pbFestivos->OnClick = [this](QObject*) {
        pbFestivos->setDown(true);
        pbLaborables->setDown(false);
    };
    pbVacaciones->OnClick = [this](QObject*) {
        if (pbVacaciones->Down()) pbPuente->setDown(false);
    };
    pbPuente->OnClick = [this](QObject*) {
        if (pbPuente->Down()) pbVacaciones->setDown(false);
    };
    Agregar->OnClick = [this](QObject* s) { pbNuevoClick(s); };
    pbNuevo->OnClick = [this](QObject* s) { pbNuevoClick(s); };
    Eliminar1->OnClick = [this](QObject* s) { pbEliminarClick(s); };
    pbEliminar->OnClick = [this](QObject* s) { pbEliminarClick(s); };
    pbDuplicar->OnClick = [this](QObject* s) { pbDuplicarClick(s); };
    pbCopiaMasiva->OnClick = [this](QObject* s) { pbCopiaMasivaClick(s); };
    Buscar->OnClick = [this](QObject* s) { Buscar1Click(s); };
    IralPaneldeControl1->OnClick = [this](QObject*) { PanelControl->setFocus(); };
    Cerrar1->OnClick = [this](QObject*) { Close(); };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    SGrid->OnSelectCell = [this](QObject* s, int c, int r, bool& can) {
        SGridSelectCell(s, c, r, can);
    };
    SGrid->OnDrawCell = [this](QObject* s, int c, int r, const QRect& rect, int st) {
        SGridDrawCell(s, c, r, rect, st);
    };
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    fNOMICALE = this;
}

TfNOMICALE::~TfNOMICALE() {
    if (fNOMICALE == this) fNOMICALE = nullptr;
    SGrid->OnDrawCell = nullptr;
    SGrid->OnSelectCell = nullptr;
}

void TfNOMICALE::FormCreate(QObject*) {
    AbrirTablasFormulario(fGENEINIC, this);
    // A user who may only read the calendars is offered none of the changes
    // made by statements, which a read-only table does not stop.
    if (Calendario->ReadOnly()) {
        for (QWidget* b : {static_cast<QWidget*>(pbNuevo), static_cast<QWidget*>(pbEliminar),
                           static_cast<QWidget*>(pbDuplicar), static_cast<QWidget*>(pbCopiaMasiva)})
            b->setEnabled(false);
        for (TMenuItem* i : {Agregar, Eliminar1}) i->setEnabled(false);
    }
    // As tall as its control panel's bottom, as the other windows.
    adjustSize();
    setHeight(PanelControl->y() + PanelControl->height() + AjusteAlturaFormularios);
    const QDate hoy = QDate::currentDate();
    CodigoCalendario = 1;
    Ejercicio = hoy.year();
    Mes = hoy.month();
    if (Horario->Active()) {
        Horario->First();
        if (!Horario->IsEmpty())
            EditNumeroHorario->setKeyValue(Horario->FieldByName(QStringLiteral("Numero"))->Value());
    }
    // The payroll program hides the schedule box; the attendance program
    // draws schedules only and may not mark.
    const bool nomina = EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE"));
    EditNumeroHorario->setVisible(!nomina);
    if (QWidget* etiqueta = findChild<QWidget*>(QStringLiteral("LabelHorario")))
        etiqueta->setVisible(!nomina);
    PanelTiposDia->setEnabled(CalendarioMuestraMarcas());
    pbTrabajados->setDown(true);
    pbLaborables->setDown(true);
    pbFestivos->setDown(false);
    pbVacaciones->setDown(false);
    pbPuente->setDown(false);
    MostrarMes();
}

void TfNOMICALE::MostrarMes() {
    EditCalendario->setText(QString::number(CodigoCalendario));
    EditEjercicio->setText(QString::number(Ejercicio));
    EditMes->setText(NombreMes(Mes));
    RellenarRejillaMes(SGrid, Ejercicio, Mes);
    const QDate primero(Ejercicio, Mes, 1);
    try {
        dias_ = LeerDiasCalendario(CodigoCalendario, primero,
                                   primero.addDays(primero.daysInMonth() - 1));
    } catch (const std::exception&) {
        dias_.clear();
    }
    SGrid->viewport()->update();
}

const TDiaCalendario* TfNOMICALE::DiaMostrado(const QDate& Fecha) const {
    auto it = dias_.constFind(Fecha);
    return it == dias_.constEnd() ? nullptr : &it.value();
}

int TfNOMICALE::HorarioSeleccionado() const {
    // The payroll program, whose box is hidden, takes the first schedule.
    if (EsProgramaEnEjecucion(QStringLiteral("PELISTO.EXE")) && Horario->Active()) {
        Horario->First();
        return Horario->IsEmpty() ? 0 : Horario->FieldByName(QStringLiteral("Numero"))->AsInteger();
    }
    return EditNumeroHorario->KeyValue().toInt();
}

void TfNOMICALE::SpinCalendarioUpClick(QObject*) {
    MoverContador(CodigoCalendario, -1);
    MostrarMes();
}

void TfNOMICALE::SpinCalendarioDownClick(QObject*) {
    MoverContador(CodigoCalendario, 1);
    MostrarMes();
}

void TfNOMICALE::SpinEjercicioUpClick(QObject*) {
    MoverContador(Ejercicio, -1);
    MostrarMes();
}

void TfNOMICALE::SpinEjercicioDownClick(QObject*) {
    MoverContador(Ejercicio, 1);
    MostrarMes();
}

void TfNOMICALE::SpinMesUpClick(QObject*) {
    MoverMes(Ejercicio, Mes, -1);
    MostrarMes();
}

void TfNOMICALE::SpinMesDownClick(QObject*) {
    MoverMes(Ejercicio, Mes, 1);
    MostrarMes();
}

void TfNOMICALE::pbNuevoClick(QObject*) {
    if (MensajeConfirmacion(QStringLiteral(
            "¿ Realmente desea crear un nuevo calendario para este año ?")) == QLatin1String("NO"))
        return;
    {
        TCursorEspera espera;
        try {
            GenerarAnoCalendario(CodigoCalendario, Ejercicio, HorarioSeleccionado());
        } catch (const std::exception& e) {
            MensajeAdvertencia(MotivoError(e));
        }
    }
    MostrarMes();
}

void TfNOMICALE::pbEliminarClick(QObject*) {
    if (MensajeConfirmacion(QStringLiteral("¿ Realmente desea eliminar el calendario ?")) ==
        QLatin1String("NO"))
        return;
    {
        TCursorEspera espera;
        try {
            EliminarAnoCalendario(CodigoCalendario, Ejercicio);
        } catch (const std::exception& e) {
            MensajeAdvertencia(MotivoError(e));
        }
    }
    MostrarMes();
}

void TfNOMICALE::pbDuplicarClick(QObject*) {
    const QString respuesta = MensajePeticion(
        QStringLiteral("Introduzca el código de calendario en el que desea duplicar el "
                       "calendario/año actual: "));
    if (respuesta.trimmed().isEmpty()) return;
    if (!ValidarEntero(respuesta.trimmed(), Texto(kCodigoCalendario))) return;
    const int destino = respuesta.trimmed().toInt();
    // The calendar on display is never its own target.
    if (destino < 1 || destino > 9999 || destino == CodigoCalendario) {
        MensajeAdvertencia(QStringLiteral("¡El valor de ") + Texto(kCodigoCalendario) +
                           QStringLiteral(" es incorrecto! Repita por favor"));
        return;
    }
    bool copiado = false;
    {
        TCursorEspera espera;
        MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Duplicación de Calendario"),
                               QStringLiteral("Duplicando calendario..."));
        copiado = CopiarAnoCalendario(CodigoCalendario, Ejercicio, destino, destino);
        MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString());
    }
    if (copiado) CodigoCalendario = destino;
    MostrarMes();
}

void TfNOMICALE::pbCopiaMasivaClick(QObject*) {
    if (MensajeConfirmacion(QStringLiteral(
            "Este proceso duplica de forma masiva el calendario/año actual. Los calendarios "
            "destino se crearán nuevos o se modificarán definitivamente. ¿Desea continuar?")) ==
        QLatin1String("NO"))
        return;
    const QString respuesta =
        MensajePeticion(QStringLiteral("Introduzca el rango de calendarios destino (Desde/Hasta)"));
    const QStringList partes = respuesta.split(QLatin1Char('/'));
    bool bien = false;
    const int desde = partes.value(0).trimmed().toInt(&bien);
    const int d = bien ? desde : 0;
    const int hasta = partes.value(1).trimmed().toInt(&bien);
    const int h = bien ? hasta : 0;
    if (d == 0 || h == 0) return;
    if (d < 1 || d > 9999 || h < 1 || h > 9999) {
        MensajeAdvertencia(QStringLiteral("¡El valor de ") + Texto(kCodigoCalendario) +
                           QStringLiteral(" es incorrecto! Repita por favor"));
        return;
    }
    bool copiado = false;
    {
        TCursorEspera espera;
        MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Duplicación de Calendarios"),
                               QStringLiteral("Eliminando calendarios destino..."));
        copiado = CopiarAnoCalendario(CodigoCalendario, Ejercicio, d, h);
        MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString());
    }
    // A refused copy stays on its source, which the retry copies again.
    if (copiado) CodigoCalendario = d;
    MostrarMes();
}

void TfNOMICALE::Buscar1Click(QObject*) {
    QVariant clave;
    BuscarRegistro(Calendario, 0, clave);
    MostrarClave(clave);
}

void TfNOMICALE::MostrarClave(const QVariant& Clave) {
    const QVariantList valores = Clave.toList();
    if (valores.size() < 2) return;
    // The search hands its key over as typed text ("1", "15/01/2024") or as values.
    const QVariant& dia = valores[1];
    const QDate fecha = dia.typeId() == QMetaType::QString ? TextoAFechaHora(dia.toString()).date()
                        : dia.typeId() == QMetaType::QDate ? dia.toDate()
                                                           : dia.toDateTime().date();
    if (!fecha.isValid() || valores[0].toInt() < 1) return;
    CodigoCalendario = valores[0].toInt();
    Ejercicio = fecha.year();
    Mes = fecha.month();
    MostrarMes();
}

void TfNOMICALE::SGridSelectCell(QObject*, int ACol, int ARow, bool&) {
    MarcarDia(ACol, ARow);
}

void TfNOMICALE::MarcarDia(int ACol, int ARow) {
    if (ARow < 1 || ARow > 6 || ACol < 0 || ACol > 6) return;
    const int dia = CeldasMes(Ejercicio, Mes).value((ARow - 1) * 7 + ACol);
    if (dia == 0) return;
    const QDate fecha(Ejercicio, Mes, dia);
    if (!Calendario->Active()) return;
    try {
        if (!Calendario->FindKey({CodigoCalendario, QDateTime(fecha, QTime(0, 0))})) return;
    } catch (const std::exception&) {
        return;
    }
    auto campo = [this](const char* n) { return Calendario->FieldByName(QLatin1String(n)); };
    try {
        Calendario->Edit();
        if (CalendarioMuestraMarcas()) {
            campo("EsDiaTrabajado")->setAsString(SiNo(pbTrabajados->Down()));
            campo("EsDiaFestivo")->setAsString(SiNo(pbFestivos->Down()));
            campo("EsDiaVacaciones")->setAsString(SiNo(pbVacaciones->Down()));
            campo("EsDiaPuente")->setAsString(SiNo(pbPuente->Down()));
        }
        campo("NumeroHorario")->setAsInteger(HorarioSeleccionado());
        Calendario->Post();
    } catch (const std::exception&) {
        if (Calendario->State() == dsEdit) Calendario->Cancel();
        MensajeAdvertencia(Texto(kNoActualizado));
    }
    MostrarMes();
}

void TfNOMICALE::SGridDrawCell(QObject*, int ACol, int ARow, const QRect& Rect, int) {
    QPainter* lienzo = SGrid->Canvas();
    if (!lienzo) return;
    if (ARow == 0) {
        DibujarTituloDia(lienzo, Rect, SGrid->font(), SGrid->Cells(ACol, 0));
        return;
    }
    lienzo->fillRect(Rect, Qt::white);
    const int dia = CeldasMes(Ejercicio, Mes).value((ARow - 1) * 7 + ACol);
    if (dia == 0) return;
    const QDate fecha(Ejercicio, Mes, dia);
    const TDiaCalendario* d = DiaMostrado(fecha);
    DibujarNumeroDia(lienzo, Rect, SGrid->font(), fecha, d != nullptr);
    if (d)
        DibujarMarcasDia(lienzo, Rect, *d, CalendarioMuestraMarcas(), CalendarioMuestraHorario());
}

void RegistrarTfNOMICALE() {
    if (!FormClassRegistered(QStringLiteral("TfNOMICALE")))
        RegisterFormClass<TfNOMICALE>(QStringLiteral("TfNOMICALE"));
}

namespace {
const bool registrado = [] {
    RegistrarTfNOMICALE();
    return true;
}();
}  // namespace
