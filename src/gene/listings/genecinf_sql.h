#pragma once
// Typed constant lists and multiple variables, shared by the saved queries and
// the custom reports. A list typed as "a, b,c," is cut into its items the same
// way everywhere: a trailing "," dropped, blanks next to a comma removed, empty
// items left out; blanks inside an item are kept.

#include <QString>
#include <QStringList>
#include <functional>

class TControlBase;
enum class Engine;

// The items of a typed comma list, cut as above.
QStringList ElementosListaConstantes(const QString& Lista);
// The stored form of a typed list: each item in double quotes, joined by ","
// with no blank; "" for a list without items.
QString ListaConstantesSQL(const QString& Lista);
// The same items as SQL string literals (Entrecomillar) joined by ","; "''"
// for a list without items. This is the form put into a statement: the
// engines read double-quoted items as column names.
QString ListaConstantesEntrecomilladas(const QString& Lista);

// Puts each answer of a "*" variable, as a list of quoted values, in place
// of its ":*name" token (a whole token: ":*Lista" does not touch ":*ListaB"),
// in one pass over the text as given: tokens inside quoted texts and
// comments stay, and no answer written in is read again. Variables are the
// lines of VariablesSQL, Valores the answers in the same order.
void SustituirVariablesMultiples(QString& SQL, const QStringList& Variables,
                                 const QStringList& Valores);

// Places a control inside its parent (a control without parent, such as an
// MDI child form, inside the main form): "Centro" both ways,
// "Centro-Horizontal" the left only, "Centro-Vertical" the top only,
// "Derecha" 4 pixels from the right edge. Halves are truncated toward zero.
void CentrarControl(TControlBase* Control, const QString& Modo);

// ---- Custom reports: the stored design and the SQL it yields.

// The design kept in FILTRO.Instrucciones. The seven lists hold their entries
// as the designer shows them; the four texts are kept exactly as stored.
struct DefinicionInforme {
    QStringList Tablas, Columnas, Restricciones, Ordenacion, Vinculos, Grupos, Sumatorios;
    QString FormatoColumnas, Opciones, UsuariosAutorizados, AplicacionesContenedoras;
};

// A list value: each entry followed by ",", a "," inside an entry written as
// "[coma]" (in every list, so that no entry reads back as several).
QString UnirListaInforme(const QStringList& Entradas);
QStringList SepararListaInforme(const QString& Valor);
// The eleven Name=Value lines in their fixed order, CR LF between them and
// none after the last; an empty key is written with an empty value.
QString ComponerInstrucciones(const DefinicionInforme& Definicion);
// Reads every key by name: any line order, a missing key is empty.
DefinicionInforme LeerInstrucciones(const QString& Instrucciones);

// The type name ("ftDateTime", "ftString"...) of a field of a dictionary
// table; "" when the table or the field is not there.
using TipoCampoInforme = std::function<QString(const QString& Tabla, const QString& Campo)>;
QString TipoCampoDiccionario(const QString& Tabla, const QString& Campo);

// The first restriction or link of D that compares a date field with a
// constant, or a list item, that does not read as a day-first date ("" when
// none), and the warning that names it.
QString RestriccionFechaNoValida(const DefinicionInforme& D,
                                 const TipoCampoInforme& Tipo = TipoCampoDiccionario);
QString AvisoFechaNoValida(const QString& Restriccion);

// The stored form of the column that shows, per row, the description of the
// analysis group of Categoria assigned to the row of Tabla (key fields in
// key order).
QString ColumnaGrupoAnalisis(const QString& Tabla, const QStringList& CamposClave,
                             const QString& Categoria);

// The SELECT of a design for an engine (lines ended by CR LF; "" without
// columns). The design keeps one grammar for every engine; each engine's
// text writes titles, constant lists, date constants and the analysis-group
// column in its own way. Tipo tells which fields are dates.
QString GenerarSentenciaSQL(const DefinicionInforme& Definicion, Engine Motor,
                            const TipoCampoInforme& Tipo = TipoCampoDiccionario);

// The variables of a statement (":#", ":&", ":$", ":*" groups in this order),
// each once in order of first occurrence, with its ":" and type character.
QStringList VariablesInforme(const QString& SQL);
// The titles written after " AS '", each once, quoted again ('Title').
QStringList TitulosInforme(const QString& SQL);

// The statement a validation runs: one line, every variable (a whole token)
// replaced by a dummy of its kind, and limited to one row.
QString SentenciaValidacionInforme(const QString& SQL, Engine Motor);

// True when the ordering does not begin with the groups in their order (the
// report breaks groups where the rows change, so they must come sorted).
bool AnomaliaOrdenGrupos(const DefinicionInforme& Definicion);
// Puts the groups at the head of the ordering and drops, for each entry, the
// last later one that sorts by the same column.
void CorregirOrdenGrupos(DefinicionInforme& Definicion);
// Checks a design's SQL on the company database: on a group-order anomaly
// the user may have it corrected (Definicion and SQL then change); a second
// statement is refused; the one-row form is run. Unless Opciones holds
// "Silenciosa" the outcome is shown. The result starts with "Error" when the
// SQL cannot run or the user stopped it (which is always said).
QString ValidarSentenciaInforme(DefinicionInforme& Definicion, QString& SQL,
                                const QString& Opciones);
// The SQL as an HTML page for the designer's view: key words in bold, titles
// in blue, variables in red; the SQL's own "<", ">" and "&" escaped.
QString SentenciaSQLEnHTML(const QString& SQL);
