#pragma once
// A company installation with the administrator logged in and the framework and
// payroll data modules created: what the personnel-side windows stand on.

#include <memory>

#include "gene/data/genemodu.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "support/instalacion.h"

struct EmpresaPrueba {
    explicit EmpresaPrueba(Engine engine)
        : inst(engine, [] {
              OpcionesInstalacion o;
              o.empresaActual = 1;
              return o;
          }()) {
        CodigoUsuarioActual = QLatin1String(kCodigoAdministradorInicial);
        modulo = std::make_unique<TModuloDatos>();
        nominas = std::make_unique<TMDNominas>();
    }
    TestInstalacion inst;
    std::unique_ptr<TModuloDatos> modulo;
    std::unique_ptr<TMDNominas> nominas;
};
