s = 'it''s'; // note
