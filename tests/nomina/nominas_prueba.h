#pragma once
// The payroll-side tables that the payroll data module opens and that the
// personnel side defines: created for a test with the columns it reads.

#include "../gene/registros_prueba.h"

inline void CrearTablasPersonalPrueba() {
    CrearTablaPrueba(QStringLiteral("PERSONAL"),
                     {{QStringLiteral("CodigoOperario"), ftSmallint, 0, true},
                      {QStringLiteral("Nombre"), ftString, 40, false},
                      {QStringLiteral("TipoOperario"), ftString, 15, false},
                      {QStringLiteral("TipoCotizacion"), ftString, 10, false},
                      {QStringLiteral("MaximoATEP"), ftFloat, 0, false},
                      {QStringLiteral("Instrucciones"), ftMemo, 0, false}},
                     {QStringLiteral("CodigoOperario")});
    for (const char* t : {"HBONIFIC", "CONCOPER"})
        CrearTablaPrueba(QLatin1String(t),
                         {{QStringLiteral("CodigoOperario"), ftSmallint, 0, true},
                          {QStringLiteral("Linea"), ftSmallint, 0, true}},
                         {QStringLiteral("CodigoOperario"), QStringLiteral("Linea")});
}
