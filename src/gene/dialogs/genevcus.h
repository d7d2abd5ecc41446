#pragma once
// The user-defined fields editor: the columns that CAMPOUSR adds to a table,
// shown and edited for the current record of a form's dataset in the
// field-list viewer. The values are written through a table object of the
// editor's own, positioned on the record by its primary key; the form's
// dataset shows them after its next refresh.

class TDataSet;
class TfGENEINIC;

// Does nothing for a dataset of a data module, a record that cannot be found
// by its primary key (keys of 1 to 6 fields), or a table without user fields
// the user may see. On "&Grabar" every value is written ("¡El valor F = v es
// incorrecto!" for one the column refuses) and the record is posted;
// "¡Imposible modificar el registro. Es posible que esté siendo modificado
// por otro usuario.!" when it cannot be edited or posted.
void VisorCamposUsuario(TfGENEINIC* f, TDataSet* DataSet);
