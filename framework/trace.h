#pragma once
// Named trace points ("PluginBase::SerializeParams" and the like). They mark where a
// trace would be written and produce no output in this build.
#define MORAVELLE_TRACE(name) ((void)(name))
