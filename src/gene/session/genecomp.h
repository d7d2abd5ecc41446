#pragma once
// Framework code works on forms and components known only by name: find a
// component, call a published method (an event handler), read, write and test
// published properties, all through Qt's meta-object system. Colours and font
// styles are translated to and from the Spanish names users type.

#include <QColor>
#include <QFont>
#include <QString>
#include <QVariant>

class QObject;

// The first component of Owner (in creation order, not inside other windows)
// whose name matches, ASCII letters compared without regard to case.
QObject* BuscarComponente(QObject* Owner, const QString& Nombre);
// Calls the published method (Q_INVOKABLE or slot) taking the sender, or none;
// false when missing or when it failed (errors are swallowed).
bool LlamarMetodoPublicado(QObject* Objeto, const QString& Metodo, QObject* Argumento);
bool TieneMetodoPublicado(QObject* Objeto, const QString& Metodo);
// Valor is the empty text unless the property exists and can be read; enums
// and flags come as their identifiers' text.
void LeerPropiedad(QObject* Objeto, const QString& Propiedad, QVariant& Valor);
// Writes when the property exists (texts converted to enums and flags); a
// failed write leaves the property as it was.
void AsignarPropiedad(QObject* Objeto, const QString& Propiedad, const QVariant& Valor);
// Exact name, letter case included; event properties count; an absent object gives false.
bool TienePropiedad(QObject* Objeto, const QString& Propiedad);

// Colours as the system stores them: red + 256 * green + 65536 * blue.
int ColorSegunNombre(const QString& Nombre);  // 0 when the name is unknown
QString NombreColor(int Color);               // "" when the colour has no name
int ValorColor(const QString& Texto);         // a name, a decimal or a "$" hex number
QColor ColorQt(int Color);
int ColorDesdeQt(const QColor& Color);

// Font styles: ordinals bold 0, italic 1, underline 2, strikeout 3; sets as bits
// bold 1, italic 2, underline 4, strikeout 8.
enum EstiloFuenteBits { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeout = 8 };
int EstiloFuente(const QString& Nombre);  // 255 for an unknown name
QString NombreEstiloFuente(int Estilos);  // "" unless exactly one style is set

// The installed family that stands for a Windows font name (Liberation Sans
// for Arial, MS Sans Serif, Tahoma, Segoe UI, Verdana; Liberation Mono for
// Courier New); other names unchanged.
QString FamiliaFuente(const QString& Nombre);
QFont FuenteSistema(const QString& Nombre, int Puntos);
