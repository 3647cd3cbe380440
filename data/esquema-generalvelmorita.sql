-- The general database of the administration system: one row per company database.
-- Loaded into an empty database: mariadb generalvelmorita < esquema-generalvelmorita.sql

CREATE TABLE empresas (
  ID int(11) NOT NULL AUTO_INCREMENT,
  BaseDeDatos varchar(30) NOT NULL,
  Empresa varchar(120) NOT NULL DEFAULT '',
  Domicilio varchar(150) DEFAULT NULL,
  CP varchar(5) DEFAULT NULL,
  CiudadEstado varchar(80) DEFAULT NULL,
  Telefonos varchar(80) DEFAULT NULL,
  RFC varchar(13) DEFAULT NULL,
  PRIMARY KEY (ID),
  UNIQUE KEY BaseDeDatos (BaseDeDatos)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
