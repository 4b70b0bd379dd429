// Keeps the module object library non-empty while no module folder has sources.
