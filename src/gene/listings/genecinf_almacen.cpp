// The designer's stored reports: new, save, save as, delete, search, exit and
// print; the access lists and their copy to other reports; the copy to other
// companies; export to and import from a text file.

#include "gene/listings/genecinf.h"

void TfGENECINF::pbNuevoClick() {}

void TfGENECINF::pbGuardarClick() {}

void TfGENECINF::pbGuardarComoClick() {}

void TfGENECINF::pbEliminarClick() {}

void TfGENECINF::BuscarDatosDBEdit() {}

void TfGENECINF::pbSalirClick() {
    Close();
}

void TfGENECINF::pbImprimirClick() {}

void TfGENECINF::pbRestringirAUsuariosClick() {}

void TfGENECINF::pbPersonalizarMenuClick() {}

void TfGENECINF::pbCopiarConfiguracionClick() {}

void TfGENECINF::pbCopiarAOtrasEmpresasClick() {}

void TfGENECINF::pbExportarClick() {}

void TfGENECINF::pbImportarClick() {}
