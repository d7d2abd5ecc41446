#pragma once
// Analysis groups: codes of the catalogue GRANALIS (Codigo, Descripcion,
// CategoriaGrupo) assigned to records of any table in GRANTAB (NombreTabla,
// ClaveTabla, GrupoAnalisis). Listings restrict their records to ranges of
// group codes per category.
//
// Profiles: the company parameter PerfilesCategoriasGA holds one line per
// entity ("Personal=DEP,CAT"): the categories that apply to it. An entity's
// table is ARTICULO, CLIENTE, PROVEEDR, CUENTA, PROCESO, OPERARIO, PERSONAL or
// CANDIDAT for "Articulo" .. "Candidato", else its name in capitals; its key
// field is CodigoOperario for "Personal", Codigo for the rest. A category
// belongs to a profile when it is one of the items of its list (DEP is not
// DEPZ).
//
// Ranges text: one line per category, "Categoria|Desde|Hasta", CR LF between
// lines and none after the last; only categories with a bound appear. Codes
// are compared as texts.

#include <QString>

class TModuloDatos;

// The range dialog for the categories of the profiles (comma-separated):
// one row per category, preset from RangosActuales; rows whose upper bound is
// below the lower one are refused and the dialog shows again. Rangos: the
// rows with a bound (RangosActuales when the list editor is not there).
void SeleccionRangosGruposAnalisis(TModuloDatos* ModuloDatos, const QString& Perfiles,
                                   const QString& RangosActuales, QString& Rangos);
// The last ranges chosen, for the restrictions block of the listings.
extern QString RangosGruposAnalisisListado;

// The categories of the profiles, sorted, once each, every line followed by CR LF.
void CategoriasPerfiles(TModuloDatos* ModuloDatos, const QString& Perfiles, QString& Categorias);
// "(CategoriaGrupo = 'A') OR (CategoriaGrupo = 'B')" for the profile's categories.
void FiltroCategoriasGrupoAnalisis(TModuloDatos* ModuloDatos, const QString& Perfil,
                                   QString& Filtro);
// The JOIN text and the WHERE condition that restrict a query to the records
// whose groups lie in the ranges. Entidades: comma-separated items
// "TABLA=expression" naming the column of the caller's query that holds each
// entity's key ("PERSONAL=OP.CodigoOperario").
void SQLGruposAnalisis(TModuloDatos* ModuloDatos, const QString& Rangos, const QString& Entidades,
                       QString& Condicion, QString& Uniones);
// Whether one record (table name and attachment key) passes the ranges: for
// every range of a category of the table's profile that has a bound, one of
// the record's groups of that category lies in it, or the record has none
// and the range has no lower bound. True for no ranges and when the groups
// cannot be read. Modo "Filtro" reads the tables instead of a query; the
// answer is the same.
bool FiltroGruposAnalisis(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                          const QString& Clave, const QString& Modo, const QString& Rangos);
// The record's first group in a category (in code order), or all of its
// groups comma-separated for the category "Todas".
void GruposAnalisisRegistro(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                            const QString& Categoria, QString& Grupos, const QString& Clave);
// The profiles whose list holds the category, and their tables, each followed by ",".
void PerfilesCategoria(TModuloDatos* ModuloDatos, const QString& Categoria, QString& Perfiles);
void TablasCategoria(TModuloDatos* ModuloDatos, const QString& Categoria, QString& Tablas);
// The key field of the category's first profile.
void CampoClaveCategoria(TModuloDatos* ModuloDatos, const QString& Categoria, QString& Campo);

// The list editor of the generic dialogs (rows of "|"-separated fields, CR
// LF between rows), installed by its unit. Resultado comes in as the rows
// given and stays so when the user leaves without accepting. Unset, the
// range dialog changes nothing.
using TGanchoVisorListaDatos = void (*)(const QString& Opciones, const QString& Datos,
                                        QString& Resultado);
extern TGanchoVisorListaDatos GanchoVisorListaDatos;
