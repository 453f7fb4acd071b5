// Placeholder until the inspector's code exists.
