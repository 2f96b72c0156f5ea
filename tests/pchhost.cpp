// Compiles the precompiled headers the tests share; it holds no code.
