-- The local report database template (Auxiliar.MDB): the company's letterhead for one report
-- run. The build makes the file from this script; each run copies it and adds one row.
CREATE TABLE Generales (
  Empresa TEXT,
  Domicilio TEXT,
  CP TEXT,
  CiudadEstado TEXT,
  Telefonos TEXT,
  RFC TEXT,
  ParaLasFechas TEXT
);
