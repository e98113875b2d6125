// Placeholder translation unit for the test support library.
