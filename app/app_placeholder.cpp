// Placeholder so the application library is never empty.
