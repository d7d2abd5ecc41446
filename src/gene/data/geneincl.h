#pragma once
// The shared routines every unit of the framework and of the forms uses:
// messages, texts, conversions, system services and amounts in words.

#include "gene/data/geneconv.h"
#include "gene/data/genenlet.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
