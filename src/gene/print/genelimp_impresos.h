#pragma once
// The print formats shipped with the program: impresos/<Codigo>.TXT beside
// the program, each a format's program text whose lines before "[SISTEMA]"
// give its Codigo, Descripcion, TipoDocumento, Modo, Formato and
// ImpresoraPorDefecto. They become rows of a company's IMPRESO when the
// table is created, never of an existing one.

class TfGENEINIC;
class TTable;

// Fills Tabla (just created by this session) with the shipped formats when
// it is IMPRESO; any other table is left alone. A format that cannot be read
// or stored is skipped: the table stays usable.
void CargarImpresosIniciales(TfGENEINIC* f, TTable* Tabla);
