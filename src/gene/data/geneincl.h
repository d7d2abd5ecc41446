#pragma once
// The shared routines every unit of the framework and of the forms uses:
// messages, texts, conversions, system services and amounts in words.

#include "gene/geneconv.h"
#include "gene/genenlet.h"
#include "gene/genesist.h"
#include "gene/genetext.h"
#include "gene/mensajes.h"
