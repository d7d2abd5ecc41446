#pragma once
// Who sees a saved query or a custom report in the menus: the users and the
// applications chosen in the selection list of the generic dialogs, and the
// reminder that follows a change. Both lists hold their items each followed
// by "," (user codes, application names).

#include <QString>
#include <QStringList>

// The selection list of the generic dialogs with Elegidos preselected; the
// chosen lines (the preselected ones when the user cancels).
QStringList SeleccionarMarcados(const QString& Opciones, const QStringList& Elementos,
                                const QStringList& Elegidos);

// Offers the users of the general database as code + " - " + name, those of
// Valor preselected, and puts the chosen codes into Valor. False, with Valor
// as it was, when the users cannot be read.
bool ElegirUsuariosAutorizados(const QString& Opciones, QString& Valor);
// Offers the applications of the program family (the names of the codes 100
// to 9900), those of Valor preselected, and puts the chosen ones into Valor.
void ElegirAplicacionesContenedoras(const QString& Opciones, QString& Valor);

// The users' programs read these lists when they start.
extern const QString kRecuerdeCambiosAccesos;
// Half a second's pause, then the reminder.
void RecordarCambiosAccesos();
