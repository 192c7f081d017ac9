#include "frame/host_services.h"

namespace {

// The host does not export the command stack's class record.
AcRxClass* pCommandStackClass = NULL;

AcRxClass* CommandStackClass()
{
    if (pCommandStackClass == NULL) {
        AcRxDictionary* pClassDictionary = AcRxDictionary::cast(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY));
        if (pClassDictionary != NULL)
            pCommandStackClass = AcRxClass::cast(pClassDictionary->at(ACRX_T("AcEdCommandStack")));
    }
    return pCommandStackClass;
}

AcRxObject* LookupService(const ACHAR* serviceName, AcRxClass* pClass)
{
    if (pClass == NULL)
        return NULL;
    AcRxObject* pService = acrxSysRegistry()->at(serviceName);
    if (pService == NULL || !pService->isKindOf(pClass))
        return NULL;
    return pService;
}

}  // namespace

AcRxDynamicLinker* LookupDynamicLinker()
{
    return static_cast<AcRxDynamicLinker*>(LookupService(ACRX_DYNAMIC_LINKER, AcRxDynamicLinker::desc()));
}

AcEdCommandStack* LookupCommandStack()
{
    return static_cast<AcEdCommandStack*>(LookupService(ACRX_COMMAND_DOCK, CommandStackClass()));
}
