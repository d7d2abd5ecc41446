#pragma once
// Room gene/dialogs: the generic dialogs (search, filter, copy to other companies, viewers, list editor,
// selection list, folder chooser, documents, responsibility, calculator, user fields, analysis-group
// and text masters, about box). May include the platform, gene/data and gene/session.

// The search entry routines: the only way into the search dialogs. Each
// prepares one search request, shows the dialog of the installation (the
// approximate one when BusquedaAproximadaActivada, else the standard one)
// modally, and hands back the chosen record's key.
//
// Clave: a null QVariant when nothing was chosen; otherwise a QVariantList
// with one string per primary-key field, in index order (a "NULL" line of
// the dialog becomes "").

#include <QString>
#include <QVariant>

class TTable;

// The search request, kept between a variant routine and the search that
// consumes it. FiltroBusqueda is an SQL condition without "WHERE";
// CamposVisiblesBusqueda a "," list of columns ("" = the dialog's choice);
// ValorPorDefectoBusqueda "PorDefecto=" + the text put in the search box.
// The first two are cleared after every dialog; the default value is used
// by the one search prepared immediately before it.
extern QString FiltroBusqueda;
extern QString CamposVisiblesBusqueda;
extern QString ValorPorDefectoBusqueda;

// Searches the table of an open dataset and moves it to the chosen record
// (the user's preferred index of the table, if any, wins over
// IndicePorDefecto; the search box starts with the current record's key).
// A failure to locate warns "¡No ha sido posible encontrar el dato
// solicitado!" and leaves the dataset where it was.
void BuscarRegistro(TTable* Tabla, int IndicePorDefecto, QVariant& Clave);
// Searches a table by name; moves nothing. An empty name shows nothing.
void BuscarCodigo(const QString& NombreTabla, int Indice, QVariant& Clave);
// Parametros: Name=Value lines "Filtro", "CamposVisibles",
// "DatoABuscarPorDefecto" and "IndiceBusqueda" (a number, 0 by default).
void BuscarConParametros(const QString& NombreTabla, const QString& Parametros, QVariant& Clave);
void BuscarConFiltroYValor(const QString& NombreTabla, int Indice, const QString& Filtro,
                           QVariant& Clave, const QString& ValorPorDefecto);
void BuscarConFiltro(const QString& NombreTabla, int Indice, const QString& Filtro,
                     QVariant& Clave);

// The key of a dialog's result text (one value per line, "NULL" for an
// empty one); null for an empty text.
QVariant ClaveDeResultado(const QString& Resultado);

// Registers the search, filter and copy dialogs by class name and gives the
// services that search from other units (predefined texts) this search.
// Idempotent; the program entry runs it, and so does the first search.
void InstalarDialogosBusqueda();
