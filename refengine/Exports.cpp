// Placeholder until the reference engine lands.
