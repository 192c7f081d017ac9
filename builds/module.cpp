// A deliverable module: the plug-in, linked whole, exporting only its entry points.
