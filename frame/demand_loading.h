// Records in the host's demand-load registry how to load the plug-in again by itself.
#pragma once

void RegisterDemandLoading();
