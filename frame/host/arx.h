// Everything the plug-in may call in its host.
#pragma once

#include "frame/host/aced.h"
#include "frame/host/dbdatabase.h"
#include "frame/host/dbmain.h"
#include "frame/host/dbsymtb.h"
#include "frame/host/rxobject.h"
#include "frame/host/text.h"
#include "frame/host/windows_api.h"
