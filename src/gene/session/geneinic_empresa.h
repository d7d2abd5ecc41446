#pragma once
// Choosing the company to work in through the search dialog.

class TfGENEINIC;

// Asks for a company in the search dialog on EMPRESA and connects its
// database (CodigoEmpresaActual becomes its code); when nothing is chosen
// CodigoEmpresaActual becomes 0. A failing connection reaches the caller with
// CodigoEmpresaActual as it was.
void ElegirEmpresa(TfGENEINIC* f);
